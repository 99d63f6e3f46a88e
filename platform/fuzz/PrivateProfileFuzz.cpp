// The private-profile parser on arbitrary file contents. Contract: no crash, no hang; an unedited
// document serialises to the very bytes it was read from; every query stays inside its buffer
// and ends its result as documented; a value written can be read back after a reparse.

#include "PrivateProfileDocument.h"

#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>

using tarvik::PrivateProfileDocument;

namespace {

constexpr std::uint32_t kSizes[] = {1, 2, 3, 7, 16, 64};
constexpr std::uint32_t kMaxSize = 64;
constexpr wchar_t kGuard = 0x5A5A;

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// Runs a buffer query with a guard after the buffer; the result must fit and be NUL-terminated.
template <class Query>
void bounded(Query query, bool list)
{
    for (std::uint32_t size : kSizes) {
        wchar_t buf[kMaxSize + 1];
        for (wchar_t& c : buf)
            c = kGuard;
        const std::uint32_t n = query(buf, size);
        check(buf[size] == kGuard);
        check(n < size);
        check(buf[n] == L'\0');
        // A list ends in a double NUL: its last entry's and one more, or, when it was cut at
        // size - 2, two after the cut entry.
        if (list && n > 0)
            check(buf[n - 1] == L'\0' || (n + 2 == size && buf[n + 1] == L'\0'));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    PrivateProfileDocument doc = PrivateProfileDocument::parse(bytes);
    check(doc.serialize() == bytes);

    bounded([&](wchar_t* b, std::uint32_t n) { return doc.getSectionNames(b, n); }, true);
    wchar_t names[4096];
    const std::uint32_t count = doc.getSectionNames(names, 4096);
    const std::wstring first = count > 0 ? std::wstring(names) : std::wstring(L"PROJECT");
    bounded([&](wchar_t* b, std::uint32_t n) { return doc.getSection(first.c_str(), b, n); }, true);
    bounded([&](wchar_t* b, std::uint32_t n) { return doc.getString(first.c_str(), nullptr, L"d", b, n); }, true);
    bounded([&](wchar_t* b, std::uint32_t n) { return doc.getString(first.c_str(), L"COM_PORT", L"dflt  ", b, n); },
            false);
    doc.getInt(first.c_str(), L"COM_PORT", -1);
    doc.getInt(nullptr, nullptr, 7);

    doc.setValue(first, L"HARD_TYPE", L"RQ81");
    doc.setValue(L"NEW SECTION", L"key", L"value");
    const PrivateProfileDocument again = PrivateProfileDocument::parse(doc.serialize());
    check(again.readString(first, L"HARD_TYPE", L"", 64) == L"RQ81");
    check(again.readString(L"NEW SECTION", L"key", L"", 64) == L"value");

    doc.removeKey(first, L"HARD_TYPE");
    doc.removeSection(first);
    PrivateProfileDocument::parse(doc.serialize());
    return 0;
}
