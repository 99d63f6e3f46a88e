// Built with ThreadSanitizer together with the library's mobile-broadband sources: completions
// reach the library-wide state on the service's threads while SetRadioState, on the caller's
// thread, closes the completion event and lets go of the last radio. Any unguarded access between
// the two is reported, and a report fails the test.
#include "FakeMobileBroadband.h"
#include "Telnira.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using MbnOverride = tarvik::test::SeamOverride<tarvik::MobileBroadband, tarvik::overrideProcessMobileBroadband>;

constexpr const wchar_t* kModem = L"{0B2C4D6E-1A3F-4E5D-8C7B-112233445566}";
constexpr int kRounds = 150;

class CountedRadio final : public IMbnRadio {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++count; }
    ULONG Release() override { return --count; }
    HRESULT get_SoftwareRadioState(MBN_RADIO*) override { return E_NOTIMPL; }
    HRESULT get_HardwareRadioState(MBN_RADIO*) override { return E_NOTIMPL; }
    HRESULT SetSoftwareRadioState(MBN_RADIO, ULONG*) override { return E_NOTIMPL; }
    std::atomic<ULONG> count{1};
};

} // namespace

TEST(MbnRace, CompletionsArriveWhileSetRadioStateCleansUp)
{
    FakeMobileBroadband service({{kModem, tarvik::kMbnReadyInitialized, true, true}});
    MbnOverride guard(service);

    testing::internal::CaptureStdout();
    // A second stream of completions, as from another client's requests, for the whole run.
    std::atomic<bool> stop{false};
    CountedRadio radio;
    std::thread other([&] {
        auto* sink = new CMbnSinks;
        sink->AddRef();
        for (ULONG id = 1000; !stop; ++id) {
            sink->OnSetSoftwareRadioStateComplete(&radio, id, S_OK);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        sink->Release();
    });

    {
        CWwanControl control;
        bool on = true;
        for (int round = 0; round < kRounds; ++round) {
            on = !on;
            ASSERT_EQ(control.SetRadioState(on ? 1 : 0, kModem), 1);
            // The service has switched (its completion may still be running) before the next round.
            while (service.interface(0).softwareOn != on)
                std::this_thread::yield();
        }
    }
    stop = true;
    other.join();
    service.joinCompletions();
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_EQ(service.requests(), kRounds);
    std::size_t ours = 0;
    for (int id = 1; id <= kRounds; ++id)
        ours += out.find("requestID = " + std::to_string(id) + "\n") != std::string::npos;
    EXPECT_EQ(ours, static_cast<std::size_t>(kRounds)) << "every request's completion reached its sink";
}
