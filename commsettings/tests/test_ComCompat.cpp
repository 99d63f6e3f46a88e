// The COM compatibility pieces: apartments, GUID texts and interface arrays.
#include "ComCompat.h"

#include <gtest/gtest.h>

#include <thread>

TEST(ComCompat, ApartmentsAreCountedPerThreadAndKeepTheirKind)
{
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
    EXPECT_EQ(CoInitialize(nullptr), RPC_E_CHANGED_MODE);
    EXPECT_EQ(tarvik::comApartmentDepth(), 2) << "the failed call is not counted";
    std::thread([] {
        EXPECT_EQ(tarvik::comApartmentDepth(), 0);
        EXPECT_EQ(CoInitialize(nullptr), S_OK) << "another thread has its own apartment";
        CoUninitialize();
    }).join();
    CoUninitialize();
    CoUninitialize();
    CoUninitialize(); // one too many: nothing happens
    EXPECT_EQ(tarvik::comApartmentDepth(), 0);
    EXPECT_EQ(CoInitialize(nullptr), S_OK) << "left, the thread may enter the other kind";
    CoUninitialize();
}

TEST(ComCompat, GuidTexts)
{
    OLECHAR text[kGuidTextChars];
    EXPECT_EQ(StringFromGUID2(IID_IMbnRadioEvents, text, kGuidTextChars), kGuidTextChars);
    EXPECT_STREQ(text, L"{DCDDDAB6-201F-4BBB-AAEE-338E368AF6FA}");
    EXPECT_EQ(StringFromGUID2(IID_IMbnRadioEvents, text, kGuidTextChars - 1), 0);

    LPOLESTR allocated = nullptr;
    ASSERT_EQ(StringFromIID(CLSID_MbnInterfaceManager, &allocated), S_OK);
    EXPECT_STREQ(allocated, L"{BDFEE05B-4418-11DD-90ED-001C257CCFF1}");
    IID parsed{};
    EXPECT_EQ(IIDFromString(allocated, &parsed), S_OK);
    EXPECT_EQ(parsed, CLSID_MbnInterfaceManager);
    CoTaskMemFree(allocated);

    EXPECT_EQ(IIDFromString(L"{dcccCAB6-201f-4bbb-aaee-338e368af6fa}", &parsed), S_OK);
    EXPECT_EQ(parsed, IID_IMbnRadio);
    for (const wchar_t* bad : {L"DCCCCAB6-201F-4BBB-AAEE-338E368AF6FA", L"{DCCCCAB6-201F-4BBB-AAEE-338E368AF6F}",
                               L"{DCCCCAB6-201F-4BBB-AAEE-338E368AF6FAX}", L"{DCCCCAB6+201F-4BBB-AAEE-338E368AF6FA}",
                               L"{DCCCCAB6-201F-4BBB-AAEE-338E368AF6FG}", L""}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(bad)));
        EXPECT_EQ(IIDFromString(bad, &parsed), CO_E_IIDSTRING);
    }
}

namespace {
class Counted final : public IUnknown {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++count; }
    ULONG Release() override { return --count; }
    ULONG count = 1;
};
} // namespace

TEST(ComCompat, InterfaceArraysHoldAReferenceAndHandOutAnother)
{
    Counted a;
    Counted b;
    SAFEARRAY* array = SafeArrayFromInterfaces({&a, &b}, 1);
    LONG lower = 0;
    LONG upper = 0;
    ASSERT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
    ASSERT_EQ(SafeArrayGetUBound(array, 1, &upper), S_OK);
    EXPECT_EQ(lower, 1);
    EXPECT_EQ(upper, 2);
    EXPECT_EQ(SafeArrayGetLBound(array, 2, &lower), DISP_E_BADINDEX);

    IUnknown* element = nullptr;
    LONG index = 2;
    ASSERT_EQ(SafeArrayGetElement(array, &index, &element), S_OK);
    EXPECT_EQ(element, &b);
    EXPECT_EQ(b.count, 2u);
    index = 3;
    EXPECT_EQ(SafeArrayGetElement(array, &index, &element), DISP_E_BADINDEX);
    index = 0;
    EXPECT_EQ(SafeArrayGetElement(array, &index, &element), DISP_E_BADINDEX);

    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
    EXPECT_EQ(a.count, 0u);
    EXPECT_EQ(b.count, 1u) << "the reference handed out stays";
}
