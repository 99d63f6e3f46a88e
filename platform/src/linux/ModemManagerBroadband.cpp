#include "ModemManagerBroadband.h"

#include "RfkillEvent.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <systemd/sd-bus.h>
#include <unistd.h>

namespace tarvik {

namespace {

constexpr const char* kService = "org.freedesktop.ModemManager1";
constexpr const char* kManagerPath = "/org/freedesktop/ModemManager1";
constexpr const char* kModemInterface = "org.freedesktop.ModemManager1.Modem";
constexpr const char* kSystemBus = "unix:path=/run/dbus/system_bus_socket";

struct BusClose {
    // No flush: every call waits for its reply, and flushing a connection still authenticating
    // would wait for the bus for minutes.
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
using Bus = std::unique_ptr<sd_bus, BusClose>;

struct MessageUnref {
    void operator()(sd_bus_message* m) const { sd_bus_message_unref(m); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

class BusError {
public:
    BusError() = default;
    ~BusError() { sd_bus_error_free(&error_); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;
    sd_bus_error* get() { return &error_; }
    std::string text(int r) const
    {
        if (error_.message)
            return error_.message;
        return std::strerror(-r);
    }

private:
    sd_bus_error error_{};
};

std::uint64_t microseconds(std::chrono::milliseconds ms) { return static_cast<std::uint64_t>(ms.count()) * 1000u; }

// Reads one a{sv} of the modem interface into the fields we use; other properties are skipped.
int readModemProperties(sd_bus_message* m, ModemManagerModem& modem)
{
    int r = sd_bus_message_enter_container(m, 'a', "{sv}");
    if (r < 0)
        return r;
    while ((r = sd_bus_message_enter_container(m, 'e', "sv")) > 0) {
        const char* name = nullptr;
        if ((r = sd_bus_message_read(m, "s", &name)) < 0)
            return r;
        char type = 0;
        const char* contents = nullptr;
        if ((r = sd_bus_message_peek_type(m, &type, &contents)) < 0)
            return r;
        const std::string property = name;
        const std::string signature = contents ? contents : "";
        if (property == "State" && signature == "i") {
            r = sd_bus_message_read(m, "v", "i", &modem.state);
        } else if (property == "StateFailedReason" && signature == "u") {
            r = sd_bus_message_read(m, "v", "u", &modem.failedReason);
        } else if (property == "UnlockRequired" && signature == "u") {
            r = sd_bus_message_read(m, "v", "u", &modem.unlockRequired);
        } else if (property == "Sim" && signature == "o") {
            const char* sim = nullptr;
            r = sd_bus_message_read(m, "v", "o", &sim);
            modem.hasSim = r >= 0 && sim && std::strcmp(sim, "/") != 0;
        } else if (property == "DeviceIdentifier" && signature == "s") {
            const char* identifier = nullptr;
            r = sd_bus_message_read(m, "v", "s", &identifier);
            if (r >= 0 && identifier)
                modem.deviceIdentifier = identifier;
        } else {
            r = sd_bus_message_skip(m, "v");
        }
        if (r < 0)
            return r;
        if ((r = sd_bus_message_exit_container(m)) < 0)
            return r;
    }
    if (r < 0)
        return r;
    return sd_bus_message_exit_container(m);
}

// A modem without a usable device identifier still gets a stable id: one made from its object path.
std::wstring idFromPath(const std::string& path)
{
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : path)
        hash = (hash ^ c) * 1099511628211ull;
    char text[40];
    std::snprintf(text, sizeof text, "{4D4D4D4D-0000-4000-8000-%012llX}",
                  static_cast<unsigned long long>(hash & 0xFFFFFFFFFFFFull));
    return std::wstring(text, text + std::strlen(text));
}

} // namespace

ModemManagerBroadband::ModemManagerBroadband(Options options) : options_(std::move(options)) {}

ModemManagerBroadband::ModemManagerBroadband() : ModemManagerBroadband(Options{}) {}

ModemManagerBroadband::~ModemManagerBroadband() = default;

void ModemManagerBroadband::report(const std::string& problem)
{
    // One line per process: the libraries ask again on every page refresh.
    if (!reported_.exchange(true))
        std::fprintf(stderr, "mobile broadband: ModemManager not usable: %s\n", problem.c_str());
}

sd_bus* ModemManagerBroadband::connect()
{
    sd_bus* raw = nullptr;
    int r = sd_bus_new(&raw);
    if (r < 0) {
        report(std::string("no D-Bus connection: ") + std::strerror(-r));
        return nullptr;
    }
    Bus bus(raw);
    std::string address = options_.busAddress;
    if (address.empty()) {
        const char* fromEnvironment = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
        address = fromEnvironment && *fromEnvironment ? fromEnvironment : kSystemBus;
    }
    if ((r = sd_bus_set_address(bus.get(), address.c_str())) < 0 || (r = sd_bus_set_bus_client(bus.get(), 1)) < 0 ||
        (r = sd_bus_set_method_call_timeout(bus.get(), microseconds(options_.queryTimeout))) < 0 ||
        (r = sd_bus_start(bus.get())) < 0) {
        report("cannot connect to " + address + ": " + std::strerror(-r));
        return nullptr;
    }
    // Authentication and the bus's hello under our own deadline: sd-bus would wait for minutes.
    const auto deadline = std::chrono::steady_clock::now() + options_.queryTimeout;
    while ((r = sd_bus_is_ready(bus.get())) == 0) {
        r = sd_bus_process(bus.get(), nullptr);
        if (r < 0)
            break;
        if (r > 0)
            continue;
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            r = -ETIMEDOUT;
            break;
        }
        r = sd_bus_wait(bus.get(), static_cast<std::uint64_t>(left.count()));
        if (r < 0)
            break;
    }
    if (r < 0) {
        report("cannot connect to " + address + ": " + std::strerror(-r));
        return nullptr;
    }
    return bus.release();
}

bool ModemManagerBroadband::reachable()
{
    Bus bus(connect());
    if (!bus)
        return false;
    BusError error;
    sd_bus_message* raw = nullptr;
    int r = sd_bus_call_method(bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                               "NameHasOwner", error.get(), &raw, "s", kService);
    Message reply(raw);
    int owned = 0;
    if (r >= 0)
        r = sd_bus_message_read(reply.get(), "b", &owned);
    if (r < 0) {
        report("cannot ask the bus for " + std::string(kService) + ": " + error.text(r));
        return false;
    }
    if (!owned)
        report(std::string(kService) + " is not running");
    return owned != 0;
}

std::optional<std::vector<ModemManagerBroadband::Modem>> ModemManagerBroadband::modems()
{
    Bus bus(connect());
    if (!bus)
        return std::nullopt;
    BusError error;
    sd_bus_message* raw = nullptr;
    int r = sd_bus_call_method(bus.get(), kService, kManagerPath, "org.freedesktop.DBus.ObjectManager",
                               "GetManagedObjects", error.get(), &raw, "");
    Message reply(raw);
    if (r < 0) {
        report("cannot list the modems: " + error.text(r));
        return std::nullopt;
    }
    // a{oa{sa{sv}}}: object path -> interface -> property -> value
    sd_bus_message* m = reply.get();
    std::vector<Modem> found;
    auto fail = [&](int code) -> std::optional<std::vector<Modem>> {
        report("unexpected modem list: " + std::string(std::strerror(-code)));
        return std::nullopt;
    };
    if ((r = sd_bus_message_enter_container(m, 'a', "{oa{sa{sv}}}")) < 0)
        return fail(r);
    while ((r = sd_bus_message_enter_container(m, 'e', "oa{sa{sv}}")) > 0) {
        const char* path = nullptr;
        if ((r = sd_bus_message_read(m, "o", &path)) < 0)
            return fail(r);
        Modem modem;
        modem.path = path;
        bool isModem = false;
        if ((r = sd_bus_message_enter_container(m, 'a', "{sa{sv}}")) < 0)
            return fail(r);
        while ((r = sd_bus_message_enter_container(m, 'e', "sa{sv}")) > 0) {
            const char* interface = nullptr;
            if ((r = sd_bus_message_read(m, "s", &interface)) < 0)
                return fail(r);
            if (std::strcmp(interface, kModemInterface) == 0) {
                isModem = true;
                r = readModemProperties(m, modem.properties);
            } else {
                r = sd_bus_message_skip(m, "a{sv}");
            }
            if (r < 0 || (r = sd_bus_message_exit_container(m)) < 0)
                return fail(r);
        }
        if (r < 0 || (r = sd_bus_message_exit_container(m)) < 0 || (r = sd_bus_message_exit_container(m)) < 0)
            return fail(r);
        if (!isModem)
            continue;
        modem.id = interfaceIdOf(modem.properties.deviceIdentifier).value_or(idFromPath(modem.path));
        found.push_back(std::move(modem));
    }
    if (r < 0)
        return fail(r);
    return found;
}

std::optional<ModemManagerBroadband::Modem> ModemManagerBroadband::find(const std::wstring& id)
{
    auto list = modems();
    if (!list)
        return std::nullopt;
    for (Modem& m : *list) {
        if (m.id == id)
            return std::move(m);
    }
    return std::nullopt;
}

std::optional<std::vector<std::wstring>> ModemManagerBroadband::interfaceIds()
{
    auto list = modems();
    if (!list)
        return std::nullopt;
    std::vector<std::wstring> ids;
    for (const Modem& m : *list)
        ids.push_back(m.id);
    return ids;
}

std::optional<int> ModemManagerBroadband::readyState(const std::wstring& id)
{
    const auto m = find(id);
    return m ? std::optional(readyStateOf(m->properties)) : std::nullopt;
}

std::optional<bool> ModemManagerBroadband::softwareRadio(const std::wstring& id)
{
    const auto m = find(id);
    return m ? std::optional(softwareRadioOf(m->properties)) : std::nullopt;
}

std::optional<bool> ModemManagerBroadband::hardwareRadio(const std::wstring& id)
{
    if (!find(id))
        return std::nullopt;
    // A hard-blocked WWAN switch (a kill switch or the airplane key) holds every modem's radio off.
    // Without the switches to look at, nothing says the radio is held off.
    const int fd = ::open(options_.rfkillPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return true;
    std::vector<RfkillSwitch> switches;
    for (;;) {
        std::uint8_t record[RfkillEvent::kSize];
        const ssize_t n = read(fd, record, sizeof record);
        if (n < 0 && errno == EINTR)
            continue;
        const auto event = n > 0 ? RfkillEvent::decode(record, static_cast<std::size_t>(n)) : std::nullopt;
        if (!event)
            break;
        applyRfkillEvent(switches, *event);
    }
    close(fd);
    for (const RfkillSwitch& s : switches) {
        if (s.type == RfkillEvent::kTypeWwan && s.hard)
            return false;
    }
    return true;
}

std::optional<std::uint32_t> ModemManagerBroadband::requestSoftwareRadio(const std::wstring& id, bool on,
                                                                         RadioCompletion done)
{
    const auto m = find(id);
    if (!m)
        return std::nullopt;
    const std::uint32_t requestId = ++lastRequestId_;
    worker_.post([this, request = Request{m->path, on, softwareRadioOf(m->properties), requestId, std::move(done)}]() mutable {
        carryOut(request);
    });
    return requestId;
}

void ModemManagerBroadband::carryOut(Request& request)
{
    std::int32_t status = kMbnStatusFailed;
    if (Bus bus{connect()}) {
        BusError error;
        sd_bus_message* call = nullptr;
        int r = sd_bus_message_new_method_call(bus.get(), &call, kService, request.path.c_str(), kModemInterface,
                                               "Enable");
        Message message(call);
        if (r >= 0)
            r = sd_bus_message_append(call, "b", static_cast<int>(request.on));
        sd_bus_message* raw = nullptr;
        if (r >= 0)
            r = sd_bus_call(bus.get(), call, microseconds(options_.enableTimeout), error.get(), &raw);
        Message reply(raw);
        if (r >= 0)
            status = kMbnStatusOk;
        else
            std::fprintf(stderr, "mobile broadband: enabling %s failed: %s\n", request.path.c_str(),
                         error.text(r).c_str());
    }
    request.done(request.requestId, status, status == kMbnStatusOk && request.wasOn != request.on);
}

} // namespace tarvik
