#include "EcTransactions.h"

#include "Diagnostic.h"
#include "EcMap.h"
#include "PortIo.h"
#include "Sleeper.h"


namespace tarvik::hwaccess {

using namespace ecmap;

void EcTransactions::waitForStatus(std::uint32_t& status, std::uint32_t wanted, unsigned delayMs)
{
    for (int reads = 0; reads < kStatusReadsPerWait; ++reads) {
        ports_.readPort(EC_COMMAND_PORT, &status);
        sleeper_.sleepMs(delayMs);
        if (status == wanted)
            return;
    }
}

std::uint32_t EcTransactions::readEcByte(std::uint8_t address)
{
    std::uint32_t value = 0;
    ports_.writePort(EC_COMMAND_PORT, EC_HOST_READ);
    sleeper_.sleepMs(kReadWriteDelayMs);
    waitForStatus(value, EC_STATUS_COMMAND_TAKEN, kReadWriteDelayMs);
    ports_.writePort(EC_DATA_PORT, address);
    sleeper_.sleepMs(kReadWriteDelayMs);
    waitForStatus(value, EC_STATUS_DATA_READY, kReadWriteDelayMs);
    ports_.readPort(EC_DATA_PORT, &value);
    sleeper_.sleepMs(kReadWriteDelayMs);
    return value;
}

void EcTransactions::writeEcByte(std::uint8_t address, std::uint8_t value)
{
    std::uint32_t status = 0;
    ports_.writePort(EC_COMMAND_PORT, EC_HOST_WRITE);
    sleeper_.sleepMs(kReadWriteDelayMs);
    waitForStatus(status, EC_STATUS_COMMAND_TAKEN, kReadWriteDelayMs);
    ports_.writePort(EC_DATA_PORT, address);
    sleeper_.sleepMs(kReadWriteDelayMs);
    waitForStatus(status, EC_STATUS_CLEAR, kReadWriteDelayMs);
    ports_.writePort(EC_DATA_PORT, value);
    sleeper_.sleepMs(kReadWriteDelayMs);
}

void EcTransactions::sendEcCommand(std::uint8_t command)
{
    ecCommandHandshake(command);
    diagnostic("CWinIOUtility::SendECCommand:0x%x\n", command);
}

void EcTransactions::ecCommandHandshake(std::uint8_t command)
{
    std::uint32_t status = 0;
    ports_.writePort(EC_COMMAND_PORT, EC_HOST_COMMAND);
    sleeper_.sleepMs(kCommandDelayMs);
    waitForStatus(status, EC_STATUS_COMMAND_TAKEN, kCommandDelayMs);
    ports_.writePort(EC_DATA_PORT, command);
    sleeper_.sleepMs(kCommandFinalDelayMs);
}

std::uint8_t EcTransactions::readCmosByte(std::uint8_t index)
{
    std::uint32_t value = 0;
    ports_.writePort(CMOS_INDEX_PORT, index);
    ports_.readPort(CMOS_DATA_PORT, &value);
    return static_cast<std::uint8_t>(value & 0xFFu);
}

bool PortAccessCount::acquire(PortIo& ports, Sleeper& sleeper)
{
    return acquireWith([&ports] { return ports.initialize(); }, sleeper);
}

bool PortAccessCount::acquireWith(const std::function<bool()>& start, Sleeper& sleeper)
{
    if (useCount_ > 0) {
        ++useCount_;
        return true;
    }
    for (int attempt = 0; attempt < kDriverStartAttempts; ++attempt) {
        if (attempt > 0)
            sleeper.sleepMs(kDriverRetryDelayMs);
        if (start()) {
            ++useCount_;
            started_ = true;
            return true;
        }
    }
    return false;
}

void PortAccessCount::release()
{
    if (useCount_ > 0)
        --useCount_;
}

} // namespace tarvik::hwaccess
