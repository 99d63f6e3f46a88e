// The mobile-broadband classes over a service held in memory: CMbnSinks' COM rules, CWwanControl's
// radio and SIM operations and their lines, and CTelnira's SIM readiness.
#include "FakeMobileBroadband.h"
#include "Telnira.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>

namespace {

// Which object the program freed last: shows that Release deleted the sink.
std::atomic<void*> lastFreed{nullptr};

using MbnOverride = tarvik::test::SeamOverride<tarvik::MobileBroadband, tarvik::overrideProcessMobileBroadband>;

constexpr const wchar_t* kFirst = L"{0B2C4D6E-1A3F-4E5D-8C7B-112233445566}";
constexpr const wchar_t* kSecond = L"{0B2C4D6E-1A3F-4E5D-8C7B-665544332211}";

// A radio of our own, to see the references the library takes and gives back.
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

class MobileBroadband : public testing::Test {
protected:
    template <class Fn>
    std::string output(Fn&& fn)
    {
        testing::internal::CaptureStdout();
        fn();
        return testing::internal::GetCapturedStdout();
    }

    FakeMobileBroadband service{{{kFirst, tarvik::kMbnReadyInitialized, true, false},
                                 {kSecond, tarvik::kMbnReadyDeviceLocked, false, true}}};
    MbnOverride serviceGuard{service};
};

} // namespace

// The program's own allocation functions (a pair, so that every allocation is freed as it was made).
void* operator new(std::size_t size)
{
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void operator delete(void* p) noexcept
{
    lastFreed = p;
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    lastFreed = p;
    std::free(p);
}

TEST(MbnSinks, QueryInterfaceAnswersForItsTwoInterfacesOnly)
{
    auto* sink = new CMbnSinks;
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(sink->QueryInterface(IID_IMbnRadio, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(sink->QueryInterface(IID_IConnectionPoint, &out), E_NOINTERFACE);
    EXPECT_EQ(sink->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    EXPECT_EQ(sink->QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(out, static_cast<IMbnRadioEvents*>(sink));
    EXPECT_EQ(sink->QueryInterface(IID_IMbnRadioEvents, &out), S_OK);
    EXPECT_EQ(out, static_cast<IMbnRadioEvents*>(sink));
    EXPECT_EQ(sink->AddRef(), 3u) << "a new sink starts at 0; each successful query took one";

    EXPECT_EQ(sink->Release(), 2u);
    EXPECT_EQ(sink->Release(), 1u);
    EXPECT_NE(lastFreed.load(), static_cast<void*>(sink));
    EXPECT_EQ(sink->Release(), 0u);
    EXPECT_EQ(lastFreed.load(), static_cast<void*>(sink)) << "the last release deletes it";
}

TEST(MbnSinks, AddRefAndReleaseAreAtomic)
{
    auto* sink = new CMbnSinks;
    sink->AddRef();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([sink] {
            for (int i = 0; i < 10000; ++i) {
                sink->AddRef();
                sink->Release();
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(sink->Release(), 0u);
}

TEST(MbnSinks, ACompletionKeepsItsRadioAndGivesBackTheOneBefore)
{
    CountedRadio first;
    CountedRadio second;
    auto* sink = new CMbnSinks;
    sink->AddRef();
    testing::internal::CaptureStdout();
    EXPECT_EQ(sink->OnSetSoftwareRadioStateComplete(&first, 7, S_OK), S_OK);
    EXPECT_EQ(first.count, 2u);
    EXPECT_EQ(sink->OnSetSoftwareRadioStateComplete(&second, 8, S_OK), S_OK);
    EXPECT_EQ(first.count, 1u);
    EXPECT_EQ(second.count, 2u);
    EXPECT_EQ(sink->OnRadioStateChange(&second), S_OK);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "***Received OnSetSoftwareRadioStateComplete Event for requestID = 7\n"
              "***Received OnSetSoftwareRadioStateComplete Event for requestID = 8\n"
              "*****Received OnRadioStateChange Event\n");
    sink->Release();

    // The next SetRadioState releases and forgets the kept radio when it cleans up.
    FakeMobileBroadband service({{kFirst, 1, true, true}});
    MbnOverride guard(service);
    CWwanControl control;
    testing::internal::CaptureStdout();
    control.SetRadioState(1, kFirst); // already on: nothing to do, nothing to clean up
    EXPECT_EQ(second.count, 2u);
    control.SetRadioState(0, kFirst);
    testing::internal::GetCapturedStdout();
    service.joinCompletions();
    EXPECT_EQ(second.count, 1u);
}

TEST_F(MobileBroadband, ControlHoldsAComInitialisationWhileItLives)
{
    {
        CWwanControl control;
        EXPECT_EQ(tarvik::comApartmentDepth(), 1);
    }
    EXPECT_EQ(tarvik::comApartmentDepth(), 0);

    // No service: the initialisation is given back at once.
    service.setReachable(false);
    {
        CWwanControl control;
        EXPECT_EQ(tarvik::comApartmentDepth(), 0);
    }
    EXPECT_EQ(tarvik::comApartmentDepth(), 0);

    // A thread already in a single-threaded apartment: the control holds nothing to give back.
    service.setReachable(true);
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    {
        CWwanControl control;
        EXPECT_EQ(tarvik::comApartmentDepth(), 1);
        EXPECT_EQ(output([&] { EXPECT_EQ(control.GetRadioState(kFirst), MBN_RADIO_ON); }),
                  "\t SoftwareRadioState \tOn\n\t HardwareRadioState \tOff\n")
            << "RPC_E_CHANGED_MODE is no reason to give up";
    }
    EXPECT_EQ(tarvik::comApartmentDepth(), 1);
    CoUninitialize();
}

TEST_F(MobileBroadband, DefaultInterfaceIsTheFirstTheServiceLists)
{
    CWwanControl control;
    EXPECT_EQ(output([&] { EXPECT_EQ(control.GetDefaultRadioState(), MBN_RADIO_ON); }),
              "Interface [0] = {0B2C4D6E-1A3F-4E5D-8C7B-112233445566}\n"
              "Interface [1] = {0B2C4D6E-1A3F-4E5D-8C7B-665544332211}\n"
              "\t SoftwareRadioState \tOn\n"
              "\t HardwareRadioState \tOff\n");
    EXPECT_EQ(output([&] { EXPECT_EQ(control.isDefaultSimCardInserted(), 1); }), "") << "enumerated once";

    // Ids that are not GUID texts are passed over.
    service.setInterfaces({{L"wwan0", 1, true, true}, {kSecond, 2, false, true}});
    CWwanControl other;
    EXPECT_EQ(output([&] { EXPECT_EQ(other.isDefaultSimCardInserted(), 0); }),
              "Interface [0] = {0B2C4D6E-1A3F-4E5D-8C7B-665544332211}\n");
}

TEST_F(MobileBroadband, RadioStateOfAnInterface)
{
    CWwanControl control;
    EXPECT_EQ(output([&] { EXPECT_EQ(control.GetRadioState(nullptr), MBN_RADIO_OFF); }),
              "\t interface not fund \tOff\n");
    EXPECT_EQ(output([&] { EXPECT_EQ(control.GetRadioState(kSecond), MBN_RADIO_OFF); }),
              "\t SoftwareRadioState \tOff\n\t HardwareRadioState \tOn\n");
    EXPECT_EQ(output([&] { EXPECT_EQ(control.GetRadioState(L"{00000000-0000-0000-0000-000000000000}"), MBN_RADIO_OFF); }),
              "");
    service.setInterfaces({{kFirst, 1, true, true, /*queriesFail=*/true}});
    EXPECT_EQ(output([&] { EXPECT_EQ(control.GetRadioState(kFirst), MBN_RADIO_OFF); }), "")
        << "a state the service cannot tell counts as off";
}

TEST_F(MobileBroadband, SetRadioStateAsksAndDoesNotWait)
{
    CWwanControl control;
    EXPECT_EQ(output([&] { EXPECT_EQ(control.SetRadioState(1, nullptr), 0); }),
              "\t input interfaceStr is NULL, 88 \tOff\n");
    EXPECT_EQ(output([&] { EXPECT_EQ(control.SetRadioState(1, kFirst), 0); }),
              "\t SoftwareRadioState \tOn\n\t HardwareRadioState \tOff\n"
              "\t the State you want to set is the same as the original state, 88 \tOff\n");
    EXPECT_EQ(service.requests(), 0);

    service.holdCompletions(true);
    EXPECT_EQ(output([&] { EXPECT_EQ(control.SetRadioState(0, kFirst), 1); }),
              "\t SoftwareRadioState \tOn\n\t HardwareRadioState \tOff\n"
              "\t SetSoftwareRadioState call successful requestID = 1\n");
    EXPECT_TRUE(service.interface(0).softwareOn) << "returned before the service did it";

    // The completion comes later on the service's thread, to the sink that stayed connected.
    testing::internal::CaptureStdout();
    service.releaseCompletions();
    service.joinCompletions();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "*****Received OnRadioStateChange Event\n"
              "***Received OnSetSoftwareRadioStateComplete Event for requestID = 1\n");
    EXPECT_FALSE(service.interface(0).softwareOn);
}

TEST_F(MobileBroadband, SetRadioStateReportsOneEvenWhenNothingCouldBeAsked)
{
    service.setReachable(false);
    CWwanControl control;
    EXPECT_EQ(output([&] { EXPECT_EQ(control.SetRadioState(1, kFirst), 1); }), "");
    EXPECT_EQ(service.requests(), 0);
}

TEST_F(MobileBroadband, SimPresenceOnlyRulesOutAMissingSim)
{
    CTelnira telnira;
    CWwanControl control;
    for (int ready = 0; ready <= 7; ++ready) {
        SCOPED_TRACE(ready);
        service.setInterfaces({{kFirst, ready, true, true}});
        EXPECT_EQ(control.isSimCardInserted(kFirst), ready == 2 ? 0 : 1);
        EXPECT_EQ(output([&] { EXPECT_EQ(telnira.vCM_WWANSIMCardIsInserted(), ready == 1 ? 1 : 0); }).empty(), false);
    }
    EXPECT_EQ(control.isSimCardInserted(nullptr), 0);
    EXPECT_EQ(control.isSimCardInserted(kSecond), 0) << "an interface that cannot be had";
    service.setInterfaces({{kFirst, 1, true, true, /*queriesFail=*/true}});
    EXPECT_EQ(control.isSimCardInserted(kFirst), 0) << "a ready state the service cannot tell counts as no SIM";
}

TEST_F(MobileBroadband, SimReadinessWhenTheServiceOrTheModuleIsMissing)
{
    CTelnira telnira;
    service.setInterfaces({});
    EXPECT_EQ(output([&] { EXPECT_EQ(telnira.vCM_WWANSIMCardIsInserted(), 0); }), "No 3G module.\n");
    service.setReachable(false);
    EXPECT_EQ(output([&] { EXPECT_EQ(telnira.vCM_WWANSIMCardIsInserted(), 0); }),
              "Failed to create instance: err 80070426\n");
    CWwanControl control;
    EXPECT_EQ(output([&] {
                  EXPECT_EQ(control.GetDefaultRadioState(), MBN_RADIO_OFF);
                  EXPECT_EQ(control.isDefaultSimCardInserted(), 0);
              }),
              "\t interface not fund \tOff\n");

    service.setReachable(true);
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    const std::string out = output([&] { EXPECT_EQ(telnira.vCM_WWANSIMCardIsInserted(), 0); });
    EXPECT_EQ(out.rfind("CoInitialize fail hr = 0x80010106, lastError = 0x", 0), 0u) << out;
    CoUninitialize();
    EXPECT_EQ(tarvik::comApartmentDepth(), 0);
}
