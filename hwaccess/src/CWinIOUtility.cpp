#include "CWinIOUtility.h"

#include "EcTransactions.h"
#include "PortIo.h"
#include "Sleeper.h"

namespace {

// One per library that compiles this file in. The CWinIOUtility functions that reach it are hidden
// symbols: were they exported, the dynamic linker would bind every library's calls to the first
// copy loaded, and the libraries would silently share one use count.
tarvik::hwaccess::PortAccessCount portAccess;

tarvik::hwaccess::EcTransactions transactions()
{
    return {tarvik::processPortIo(), tarvik::processSleeper()};
}

} // namespace

std::uint32_t CWinIOUtility::ReadECByte(std::uint8_t address) { return transactions().readEcByte(address); }

void CWinIOUtility::WriteECByte(std::uint8_t address, std::uint8_t value)
{
    transactions().writeEcByte(address, value);
}

void CWinIOUtility::SendECCommand(std::uint8_t command) { transactions().sendEcCommand(command); }

std::uint8_t CWinIOUtility::ReadCMOSByte(std::uint8_t index) { return transactions().readCmosByte(index); }

bool CWinIOUtility::AcquirePortAccess()
{
    return portAccess.acquire(tarvik::processPortIo(), tarvik::processSleeper());
}

void CWinIOUtility::ReleasePortAccess() { portAccess.release(); }

int CWinIOUtility::UseCount() { return portAccess.useCount(); }

bool CWinIOUtility::Started() { return portAccess.started(); }
