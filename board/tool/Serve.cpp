// `tarvik-board serve`: runs the board's simulated peers (serial devices, services) until SIGINT or
// SIGTERM. Each area of the board adds its peers to allServices() in main.cpp.
#include "ToolCommands.h"

#include <atomic>
#include <csignal>
#include <iostream>
#include <pthread.h>
#include <thread>

namespace tarvik::board::tool {

namespace {

int serve(Board* board, const std::string& dir, const std::vector<std::string>& args)
{
    // Kept for the whole run: chosen points into it.
    const std::vector<Service> services = allServices();
    std::vector<const Service*> chosen;
    for (const Service& s : services) {
        bool wanted = args.empty();
        for (const std::string& a : args)
            wanted = wanted || a == s.name;
        if (wanted)
            chosen.push_back(&s);
    }
    for (const std::string& a : args) {
        bool known = false;
        for (const Service& s : services)
            known = known || a == s.name;
        if (!known)
            return usage("serve: unknown peer " + a);
    }
    if (chosen.empty()) {
        std::cerr << "tarvik-board: no peers to serve\n";
        return kExitFailed;
    }

    // Signals are taken by this thread only, with sigwait; the peers never see them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::atomic<bool> stop{false};
    std::atomic<int> failed{0};
    std::vector<std::thread> threads;
    for (const Service* s : chosen) {
        threads.emplace_back([&, s] {
            if (!s->run(*board, dir, stop))
                ++failed;
        });
        std::cout << "serving " << s->name << "\n";
    }
    std::cout.flush();
    int signal = 0;
    sigwait(&stopSignals, &signal);
    stop = true;
    for (std::thread& t : threads)
        t.join();
    return failed ? kExitFailed : kExitOk;
}

} // namespace

const std::vector<Command>& serveCommands()
{
    static const std::vector<Command> commands = {
        {"serve", "serve [PEER...]          (run the simulated peers until SIGINT/SIGTERM)", true, serve},
    };
    return commands;
}

} // namespace tarvik::board::tool
