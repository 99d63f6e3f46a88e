#include "HexText.h"

#include <cwctype>
#include <limits>

namespace {

int hexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

} // namespace

std::uint32_t ParseHex(std::wstring_view text)
{
    std::size_t i = 0;
    while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i])))
        ++i;
    if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X'))
        i += 2;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int d = hexDigit(text[i]);
        if (d < 0)
            break;
        value = value * 16 + static_cast<std::uint64_t>(d);
        if (value > kMax)
            value = kMax + 1; // saturated; stays above the limit however many digits follow
    }
    return value > kMax ? static_cast<std::uint32_t>(kMax) : static_cast<std::uint32_t>(value);
}

std::vector<std::int32_t> ReadHexList(std::wstring_view text)
{
    std::vector<std::int32_t> values;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(L',', start);
        if (comma == std::wstring_view::npos)
            comma = text.size();
        if (comma > start)
            values.push_back(static_cast<std::int32_t>(ParseHex(text.substr(start, comma - start))));
        start = comma + 1;
    }
    return values;
}
