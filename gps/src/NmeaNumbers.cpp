#include "NmeaNumbers.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace nmeanumbers {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view skipSpace(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    return text.substr(i);
}

} // namespace

int leadingInt(std::string_view text)
{
    text = skipSpace(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    return static_cast<int>(value);
}

double leadingDouble(std::string_view text)
{
    text = skipSpace(text);
    bool negative = false;
    // from_chars takes a minus sign but no plus sign.
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text[0] == '-' || text[0] == '+'))
            return 0.0;
    } else if (!text.empty() && text[0] == '-') {
        negative = true;
        text.remove_prefix(1);
        if (!text.empty() && (text[0] == '-' || text[0] == '+'))
            return 0.0;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::invalid_argument)
        return 0.0;
    // Out of range: from_chars leaves the value alone where strtod gives ±HUGE_VAL or 0.
    if (error == std::errc::result_out_of_range) {
        const std::string_view digits = text.substr(0, static_cast<std::size_t>(end - text.data()));
        const auto e = digits.find_first_of("eE");
        const bool tiny = e != std::string_view::npos && e + 1 < digits.size() && digits[e + 1] == '-';
        value = tiny ? 0.0 : HUGE_VAL;
    }
    return negative ? -value : value;
}

int truncateToInt(double value)
{
    if (!(value > -2147483649.0 && value < 2147483648.0))
        return INT_MIN;
    return static_cast<int>(value);
}

std::string fixed6(double value)
{
    // The longest "%f" text of a double is 309 integer digits, the point and six decimals.
    char text[400];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    if (error != std::errc())
        return {};
    return std::string(text, end);
}

} // namespace nmeanumbers
