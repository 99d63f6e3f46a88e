#include "CWinIOUtility.h"

#include "Diagnostic.h"
#include "EcRequests.h"
#include "EcTransactions.h"
#include "PortHelper.h"
#include "PortIo.h"
#include "Sleeper.h"

namespace {

using tarvik::portd::Answer;
using tarvik::portd::Op;
using tarvik::portd::Request;

// One per library that compiles this file in. The CWinIOUtility functions that reach it are hidden
// symbols: were they exported, the dynamic linker would bind every library's calls to the first
// copy loaded, and the libraries would silently share one use count.
tarvik::hwaccess::PortAccessCount portAccess;

// Every operation is one whole transaction, carried out here over the process's port driver or by
// tarvik-portd for a process that may not open /dev/port. Both run carryOut, so the handshake,
// its waits and its results are the same either way; the use count, the driver start-up retries
// and the diagnostic line stay in the library. A helper that cannot be reached or refuses reads as
// a port that yields nothing: the value stays 0, as the transaction's variable starts.
Answer run(const Request& request)
{
    if (tarvik::PortHelperConnection* helper = tarvik::processPortHelper()) {
        if (auto answer = helper->exchange(request))
            return *answer;
        Answer failed;
        failed.status = tarvik::portd::Status::DriverFailed;
        return failed;
    }
    return tarvik::hwaccess::carryOut(request, tarvik::processPortIo(), tarvik::processSleeper());
}

} // namespace

std::uint32_t CWinIOUtility::ReadECByte(std::uint8_t address) { return run({Op::ReadEc, address}).value; }

void CWinIOUtility::WriteECByte(std::uint8_t address, std::uint8_t value) { run({Op::WriteEc, address, value}); }

void CWinIOUtility::SendECCommand(std::uint8_t command)
{
    run({Op::EcCommand, command});
    tarvik::diagnostic("CWinIOUtility::SendECCommand:0x%x\n", command);
}

std::uint8_t CWinIOUtility::ReadCMOSByte(std::uint8_t index) { return run({Op::ReadCmos, index}).value; }

bool CWinIOUtility::AcquirePortAccess()
{
    return portAccess.acquireWith([] { return run({Op::Start}).status == tarvik::portd::Status::Done; },
                                  tarvik::processSleeper());
}

void CWinIOUtility::ReleasePortAccess() { portAccess.release(); }

int CWinIOUtility::UseCount() { return portAccess.useCount(); }

bool CWinIOUtility::Started() { return portAccess.started(); }
