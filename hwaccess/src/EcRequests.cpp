#include "EcRequests.h"

#include "EcTransactions.h"
#include "PortIo.h"
#include "Sleeper.h"

namespace tarvik::hwaccess {

namespace {

// Passes every wait on and adds it up, for the answer.
class CountingSleeper final : public Sleeper {
public:
    explicit CountingSleeper(Sleeper& inner) : inner_(inner) {}
    void sleepMs(unsigned ms) override
    {
        total += ms;
        inner_.sleepMs(ms);
    }
    std::uint32_t total = 0;

private:
    Sleeper& inner_;
};

} // namespace

portd::Answer carryOut(const portd::Request& request, PortIo& ports, Sleeper& sleeper)
{
    using portd::Op;
    CountingSleeper counting(sleeper);
    EcTransactions t(ports, counting);
    portd::Answer answer;
    answer.tag = request.tag;
    switch (request.op) {
    case Op::Start:
        if (!ports.initialize())
            answer.status = portd::Status::DriverFailed;
        break;
    case Op::ReadEc:
        answer.value = static_cast<std::uint8_t>(t.readEcByte(request.arg) & 0xFFu);
        break;
    case Op::WriteEc:
        t.writeEcByte(request.arg, request.value);
        break;
    case Op::EcCommand:
        t.ecCommandHandshake(request.arg);
        break;
    case Op::ReadCmos:
        answer.value = t.readCmosByte(request.arg);
        break;
    }
    answer.waitedMs = counting.total;
    return answer;
}

} // namespace tarvik::hwaccess
