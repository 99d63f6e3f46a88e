// The mobile-broadband service over ModemManager, against a stand-in ModemManager on a private
// D-Bus daemon: what the library sees of the modems, a radio request carried out on a worker thread,
// and failures that must end quickly instead of hanging.
#include "ModemManagerBroadband.h"
#include "RfkillEvent.h"
#include "PrivateBus.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <future>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using tarvik::ModemManagerBroadband;
using tarvik::test::TempDir;

namespace {

constexpr const char* kModemInterface = "org.freedesktop.ModemManager1.Modem";

struct FakeModem {
    std::string path;
    std::string deviceIdentifier;
    std::int32_t state;
    std::uint32_t lock = 1; // none
    std::string sim = "/";
};

// Just enough of ModemManager: the object manager's modem list and Modem.Enable, served by a
// thread of its own on its own connection.
class FakeModemManager {
public:
    FakeModemManager(std::string address, std::vector<FakeModem> modems)
        : address_(std::move(address)), modems_(std::move(modems))
    {
        std::promise<bool> ready;
        auto started = ready.get_future();
        thread_ = std::thread([this, &ready] { serve(ready); });
        ok_ = started.get();
    }
    ~FakeModemManager()
    {
        stop_ = true;
        thread_.join();
    }
    bool ok() const { return ok_; }
    void refuseEnable() { refuse_ = true; }
    FakeModem modem(std::size_t i)
    {
        std::lock_guard lock(mutex_);
        return modems_.at(i);
    }

private:
    void serve(std::promise<bool>& ready)
    {
        sd_bus* bus = nullptr;
        bool up = sd_bus_new(&bus) >= 0 && sd_bus_set_address(bus, address_.c_str()) >= 0 &&
                  sd_bus_set_bus_client(bus, 1) >= 0 && sd_bus_start(bus) >= 0 &&
                  sd_bus_request_name(bus, "org.freedesktop.ModemManager1", 0) >= 0 &&
                  sd_bus_add_object(bus, nullptr, "/org/freedesktop/ModemManager1", onManager, this) >= 0;
        for (std::size_t i = 0; up && i < modems_.size(); ++i)
            up = sd_bus_add_object(bus, nullptr, modems_[i].path.c_str(), onModem, this) >= 0;
        ready.set_value(up);
        while (up && !stop_) {
            if (sd_bus_process(bus, nullptr) > 0)
                continue;
            sd_bus_wait(bus, 20000);
        }
        sd_bus_flush_close_unref(bus);
    }

    static int onManager(sd_bus_message* m, void* self, sd_bus_error*)
    {
        if (!sd_bus_message_is_method_call(m, "org.freedesktop.DBus.ObjectManager", "GetManagedObjects"))
            return 0;
        auto* fake = static_cast<FakeModemManager*>(self);
        sd_bus_message* reply = nullptr;
        sd_bus_message_new_method_return(m, &reply);
        sd_bus_message_open_container(reply, 'a', "{oa{sa{sv}}}");
        // A SIM object first: not a modem, skipped.
        sd_bus_message_append(reply, "{oa{sa{sv}}}", "/org/freedesktop/ModemManager1/SIM/0", 1,
                              "org.freedesktop.ModemManager1.Sim", 1, "Imsi", "s", "262011234567890");
        std::lock_guard lock(fake->mutex_);
        for (const FakeModem& modem : fake->modems_) {
            sd_bus_message_open_container(reply, 'e', "oa{sa{sv}}");
            sd_bus_message_append(reply, "o", modem.path.c_str());
            sd_bus_message_open_container(reply, 'a', "{sa{sv}}");
            sd_bus_message_append(reply, "{sa{sv}}", "org.freedesktop.ModemManager1.Modem.Simple", 0);
            sd_bus_message_open_container(reply, 'e', "sa{sv}");
            sd_bus_message_append(reply, "s", kModemInterface);
            sd_bus_message_open_container(reply, 'a', "{sv}");
            sd_bus_message_append(reply, "{sv}", "Manufacturer", "s", "Sierra Wireless, Incorporated");
            sd_bus_message_append(reply, "{sv}", "SignalQuality", "(ub)", 70u, 1);
            sd_bus_message_append(reply, "{sv}", "State", "i", modem.state);
            sd_bus_message_append(reply, "{sv}", "StateFailedReason", "u", 0u);
            sd_bus_message_append(reply, "{sv}", "UnlockRequired", "u", modem.lock);
            sd_bus_message_append(reply, "{sv}", "Sim", "o", modem.sim.c_str());
            if (!modem.deviceIdentifier.empty())
                sd_bus_message_append(reply, "{sv}", "DeviceIdentifier", "s", modem.deviceIdentifier.c_str());
            sd_bus_message_close_container(reply);
            sd_bus_message_close_container(reply);
            sd_bus_message_close_container(reply);
            sd_bus_message_close_container(reply);
        }
        sd_bus_message_close_container(reply);
        const int r = sd_bus_send(nullptr, reply, nullptr);
        sd_bus_message_unref(reply);
        return r < 0 ? r : 1;
    }

    static int onModem(sd_bus_message* m, void* self, sd_bus_error*)
    {
        if (!sd_bus_message_is_method_call(m, kModemInterface, "Enable"))
            return 0;
        auto* fake = static_cast<FakeModemManager*>(self);
        int enable = 0;
        sd_bus_message_read(m, "b", &enable);
        if (fake->refuse_)
            return sd_bus_reply_method_errorf(m, "org.freedesktop.ModemManager1.Error.Core.WrongState",
                                              "Cannot enable modem: device locked");
        {
            std::lock_guard lock(fake->mutex_);
            for (FakeModem& modem : fake->modems_) {
                if (modem.path == sd_bus_message_get_path(m))
                    modem.state = enable ? tarvik::ModemManagerModem::kStateEnabled
                                         : tarvik::ModemManagerModem::kStateDisabled;
            }
        }
        return sd_bus_reply_method_return(m, "");
    }

    std::string address_;
    std::mutex mutex_;
    std::vector<FakeModem> modems_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> refuse_{false};
    bool ok_ = false;
    std::thread thread_;
};

constexpr const char* kModem0 = "/org/freedesktop/ModemManager1/Modem/0";
constexpr const char* kModem1 = "/org/freedesktop/ModemManager1/Modem/1";
constexpr const wchar_t* kModem0Id = L"{A6C5B3B8-E3F9-4AC1-D0A1-6F2C4F1C7B2E}";

class ModemManagerFixture : public testing::Test {
protected:
    void SetUp() override
    {
        if (!tarvik::test::PrivateBus::available())
            GTEST_SKIP() << tarvik::test::PrivateBus::kDaemon << " is missing (scripts/setup installs dbus-daemon)";
        ASSERT_TRUE(bus.up());
    }
    ModemManagerBroadband::Options options()
    {
        ModemManagerBroadband::Options o;
        o.busAddress = bus.address();
        o.queryTimeout = 2000ms;
        o.enableTimeout = 2000ms;
        o.rfkillPath = dir.file("rfkill");
        return o;
    }
    std::vector<FakeModem> twoModems()
    {
        return {{kModem0, "a6c5b3b8e3f94ac1d0a16f2c4f1c7b2e9d03a8f1", tarvik::ModemManagerModem::kStateDisabled, 1,
                 "/org/freedesktop/ModemManager1/SIM/0"},
                {kModem1, "", tarvik::ModemManagerModem::kStateLocked, 2, "/org/freedesktop/ModemManager1/SIM/1"}};
    }

    TempDir dir;
    tarvik::test::PrivateBus bus{dir.path()};
};

} // namespace

TEST_F(ModemManagerFixture, SeesEachModemWithItsIdReadyStateAndRadios)
{
    FakeModemManager fake(bus.address(), twoModems());
    ASSERT_TRUE(fake.ok());
    ModemManagerBroadband service(options());

    EXPECT_TRUE(service.reachable());
    const auto ids = service.interfaceIds();
    ASSERT_TRUE(ids);
    ASSERT_EQ(ids->size(), 2u) << "the SIM object is not a modem";
    EXPECT_EQ((*ids)[0], kModem0Id);
    EXPECT_EQ((*ids)[1].size(), 38u) << "a modem without an identifier gets an id from its path";
    EXPECT_EQ(service.interfaceIds(), ids) << "and keeps it";

    EXPECT_EQ(service.readyState(kModem0Id), 1);
    EXPECT_EQ(service.readyState((*ids)[1]), 6) << "locked by SIM-PIN";
    EXPECT_EQ(service.softwareRadio(kModem0Id), false) << "disabled";
    EXPECT_EQ(service.hardwareRadio(kModem0Id), true) << "no radio switches to hold it off";
    EXPECT_FALSE(service.readyState(L"{00000000-0000-0000-0000-000000000000}"));

    // A hard-blocked WWAN switch holds the radio off.
    tarvik::RfkillEvent wwan;
    wwan.idx = 2;
    wwan.type = tarvik::RfkillEvent::kTypeWwan;
    wwan.hard = true;
    const auto record = wwan.encode();
    tarvik::test::writeFile(dir.file("rfkill"), std::string(record.begin(), record.end()));
    EXPECT_EQ(service.hardwareRadio(kModem0Id), false);
}

TEST_F(ModemManagerFixture, ARadioRequestIsCarriedOutOnAWorkerThread)
{
    FakeModemManager fake(bus.address(), twoModems());
    ASSERT_TRUE(fake.ok());
    ModemManagerBroadband service(options());

    std::promise<std::tuple<std::uint32_t, std::int32_t, bool, std::thread::id>> completed;
    const auto request = service.requestSoftwareRadio(kModem0Id, true, [&](std::uint32_t id, std::int32_t status,
                                                                          bool changed) {
        completed.set_value({id, status, changed, std::this_thread::get_id()});
    });
    ASSERT_TRUE(request);
    auto result = completed.get_future();
    ASSERT_EQ(result.wait_for(5s), std::future_status::ready);
    const auto [id, status, changed, thread] = result.get();
    EXPECT_EQ(id, *request);
    EXPECT_EQ(status, tarvik::kMbnStatusOk);
    EXPECT_TRUE(changed);
    EXPECT_NE(thread, std::this_thread::get_id());
    EXPECT_EQ(fake.modem(0).state, tarvik::ModemManagerModem::kStateEnabled);
    EXPECT_EQ(service.softwareRadio(kModem0Id), true);

    EXPECT_FALSE(service.requestSoftwareRadio(L"{00000000-0000-0000-0000-000000000000}", true,
                                              [](std::uint32_t, std::int32_t, bool) { ADD_FAILURE(); }));
}

TEST_F(ModemManagerFixture, ARefusedRequestCompletesAsAFailure)
{
    FakeModemManager fake(bus.address(), twoModems());
    ASSERT_TRUE(fake.ok());
    fake.refuseEnable();
    ModemManagerBroadband service(options());

    std::promise<std::pair<std::int32_t, bool>> completed;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(service.requestSoftwareRadio(kModem0Id, true, [&](std::uint32_t, std::int32_t status, bool changed) {
        completed.set_value({status, changed});
    }));
    auto result = completed.get_future();
    ASSERT_EQ(result.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(result.get(), std::make_pair(tarvik::kMbnStatusFailed, false));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("device locked"), std::string::npos);
    EXPECT_EQ(fake.modem(0).state, tarvik::ModemManagerModem::kStateDisabled);
}

TEST_F(ModemManagerFixture, WithoutModemManagerOnTheBusNothingIsReachableAndThatIsSaidOnce)
{
    ModemManagerBroadband service(options());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(service.reachable());
    EXPECT_FALSE(service.interfaceIds());
    EXPECT_FALSE(service.reachable());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

// A bus that is missing, or one that takes the connection and never speaks, must not hold the
// caller (the user-interface thread) longer than the query deadline.
TEST(ModemManagerWithoutBus, FailsWithinTheDeadline)
{
    TempDir dir;
    const std::string silent = dir.file("silent");
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", silent.c_str());
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 4), 0);

    for (const std::string& bus : {"unix:path=" + dir.file("no-bus"), "unix:path=" + silent}) {
        SCOPED_TRACE(bus);
        ModemManagerBroadband::Options o;
        o.busAddress = bus;
        o.queryTimeout = 300ms;
        ModemManagerBroadband service(o);
        testing::internal::CaptureStderr();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(service.reachable());
        EXPECT_FALSE(service.interfaceIds());
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
        EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    }
    close(listener);
}
