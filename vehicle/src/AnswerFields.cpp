#include "AnswerFields.h"

namespace tarvik::vehicle {

namespace {

constexpr long kMaxRaw = 0x7FFFFFFFL;
constexpr long kMinRaw = -0x80000000L;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

} // namespace

long parseHexSaturated(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') && hexDigit(text[i + 2]) >= 0)
        i += 2;
    // Accumulated as a magnitude that stops growing past the limit, so no length of digits
    // overflows.
    const long long limit = negative ? -static_cast<long long>(kMinRaw) : kMaxRaw;
    long long magnitude = 0;
    for (; i < text.size() && hexDigit(text[i]) >= 0; ++i) {
        magnitude = magnitude * 16 + hexDigit(text[i]);
        if (magnitude > limit)
            magnitude = limit + 1;
    }
    if (magnitude > limit)
        return negative ? kMinRaw : kMaxRaw;
    return static_cast<long>(negative ? -magnitude : magnitude);
}

ExtractedValue extractFields(std::string_view line, int first, int last)
{
    // The line's CR LF would otherwise stick to its last field, and a value whose most significant
    // byte is the line's last field (the odometer, fields 7..10 of an eight-byte group) would read
    // as that byte alone.
    const std::size_t end = line.find_first_of("\r\n");
    if (end != std::string_view::npos)
        line = line.substr(0, end);

    std::string text;
    int number = 0;
    int taken = 0;
    bool allBytes = true;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && line[pos] == ' ')
            ++pos;
        if (pos == line.size())
            break;
        const std::size_t stop = line.find(' ', pos);
        const std::string_view field = line.substr(pos, stop == std::string_view::npos ? line.size() - pos : stop - pos);
        if (number >= first && number <= last) {
            text.insert(0, field);
            ++taken;
            allBytes = allBytes && field.size() == 2 && hexDigit(field[0]) >= 0 && hexDigit(field[1]) >= 0;
        }
        ++number;
        pos += field.size();
    }
    FieldsKind kind = FieldsKind::Value;
    if (first > last || taken != last - first + 1 || !allBytes)
        kind = FieldsKind::Missing;
    else if (hexDigit(text[0]) == 0xF && hexDigit(text[1]) >= 0xE)
        kind = FieldsKind::NotAvailable;
    return {text.empty() ? -1L : parseHexSaturated(text), text, kind};
}

} // namespace tarvik::vehicle
