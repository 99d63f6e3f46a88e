// The simulated Quenmark service: the outside service that answers the sensor library's request
// for the CPU temperature. It owns the reply and command frames and their locks, listens for its
// control code, and on each one reads the command frame and writes a reply: status 1 and the
// profile's CpuTemperature for the command "WmiAcpiService", status 2 for any other command.
// Faults: quenmark-status N answers with status N, quenmark-silent never answers.
#include "NamedObjects.h"
#include "QuenmarkProtocol.h"
#include "SensorBoard.h"
#include "ServiceControl.h"
#include "ToolCommands.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace tarvik::board::tool {

namespace {

// How often the service looks at its stop flag while waiting for a control.
constexpr unsigned kStopCheckMs = 100;
constexpr std::int32_t kStatusUnknownCommand = 2;

bool fail(const std::string& what, int error)
{
    std::cerr << "tarvik-board: quenmark: " << what << ": " << std::strerror(error) << "\n";
    return false;
}

struct Reply {
    bool silent = false;
    std::int32_t status = quenmark::kStatusOk;
};

// What the board's faults make of the answer.
Reply faultedReply(Board& board)
{
    return board.memory().locked([](BoardState& s) {
        Reply r;
        r.silent = findFault(s, "quenmark-silent") != nullptr;
        if (const FaultSlot* f = findFault(s, "quenmark-status"))
            r.status = static_cast<std::int32_t>(std::strtoul(f->arg, nullptr, 0));
        return r;
    });
}

class Quenmark {
public:
    bool start(const std::string& dir)
    {
        objects_ = namedObjectsForBoard(dir);
        int error = 0;
        replyFrame_ = objects_->createMemory(quenmark::kReplyFrame, sizeof(quenmark::ReplyFrame), error);
        if (!replyFrame_)
            return fail(std::string("cannot create ") + quenmark::kReplyFrame, error);
        replyLock_ = objects_->createLock(quenmark::kReplyLock, error);
        if (!replyLock_)
            return fail(std::string("cannot create ") + quenmark::kReplyLock, error);
        commandFrame_ = objects_->createMemory(quenmark::kCommandFrame, sizeof(quenmark::CommandFrame), error);
        if (!commandFrame_)
            return fail(std::string("cannot create ") + quenmark::kCommandFrame, error);
        commandLock_ = objects_->createLock(quenmark::kCommandLock, error);
        if (!commandLock_)
            return fail(std::string("cannot create ") + quenmark::kCommandLock, error);
        reply_ = static_cast<quenmark::ReplyFrame*>(replyFrame_->map(sizeof(quenmark::ReplyFrame), error));
        command_ = static_cast<quenmark::CommandFrame*>(commandFrame_->map(sizeof(quenmark::CommandFrame), error));
        if (!reply_ || !command_)
            return fail("cannot map the frames", error);
        // Listening last: whoever reaches the service finds its frames.
        services_ = serviceControlForBoard(dir);
        endpoint_ = services_->listen(quenmark::kServiceName, error);
        if (!endpoint_)
            return fail("cannot listen for controls", error);
        return true;
    }

    void serve(Board& board, const std::atomic<bool>& stop)
    {
        while (!stop) {
            const auto code = endpoint_->receive(kStopCheckMs);
            if (code && *code == quenmark::kControlCode)
                answer(board);
        }
    }

private:
    void answer(Board& board)
    {
        quenmark::CommandFrame command{};
        if (commandLock_->acquire() != LockWait::Acquired)
            return; // a caller died holding it; it asks again
        std::memcpy(&command, command_, sizeof command);
        commandLock_->release();

        const Reply faulted = faultedReply(board);
        if (faulted.silent)
            return;
        command.text[quenmark::kCommandChars - 1] = u'\0';
        const bool known = std::u16string(command.text) == quenmark::kCommandText;
        std::int32_t status = known ? faulted.status : kStatusUnknownCommand;
        auto profile = board.profile();
        if (!profile)
            status = kStatusUnknownCommand;
        const std::int32_t celsius = profile ? SensorBoard::cpuTemperature(*profile) : 0;

        if (replyLock_->acquire() != LockWait::Acquired)
            return;
        *reply_ = {status, celsius};
        replyLock_->release();
    }

    std::unique_ptr<NamedObjects> objects_;
    std::unique_ptr<NamedMemory> replyFrame_;
    std::unique_ptr<NamedLock> replyLock_;
    std::unique_ptr<NamedMemory> commandFrame_;
    std::unique_ptr<NamedLock> commandLock_;
    quenmark::ReplyFrame* reply_ = nullptr;
    quenmark::CommandFrame* command_ = nullptr;
    std::unique_ptr<ServiceControl> services_;
    std::unique_ptr<ServiceEndpoint> endpoint_;
};

bool runQuenmark(Board& board, const std::string& dir, const std::atomic<bool>& stop)
{
    Quenmark service;
    if (!service.start(dir))
        return false;
    service.serve(board, stop);
    return true;
}

} // namespace

const std::vector<Service>& sensorServices()
{
    static const std::vector<Service> services = {
        {"quenmark", runQuenmark},
    };
    return services;
}

} // namespace tarvik::board::tool
