#include "TrayLine.h"

#include <cstdio>

namespace {

constexpr std::size_t kMaxHexDigits = 16;
constexpr std::size_t kPrintableChars = 64;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
    return out;
}

std::optional<std::uint64_t> parseHexField(std::string_view text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > kMaxHexDigits)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        value = (value << 4) | digit;
    }
    return value;
}

} // namespace

TrayLineResult ParseTrayLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    const std::vector<std::string_view> parts = fields(line);
    if (parts.size() != 3)
        return {std::nullopt, "expected three fields: message, first and second parameter"};
    const auto message = parseHexField(parts[0]);
    const auto wParam = parseHexField(parts[1]);
    const auto lParam = parseHexField(parts[2]);
    if (!message || !wParam || !lParam)
        return {std::nullopt, "a field is not a hexadecimal number"};
    if (*message != kTrayLineMessage) {
        char problem[64];
        std::snprintf(problem, sizeof problem, "message 0x%llX is not accepted",
                      static_cast<unsigned long long>(*message));
        return {std::nullopt, problem};
    }
    return {TrayLineMessage{kTrayLineMessage, *wParam, *lParam}, {}};
}

std::string FormatTrayLine(std::uint64_t wParam, std::uint64_t lParam)
{
    char line[64];
    std::snprintf(line, sizeof line, "0x%X %llX %llX\n", kTrayLineMessage, static_cast<unsigned long long>(wParam),
                  static_cast<unsigned long long>(lParam));
    return line;
}

std::string PrintableLine(std::string_view line)
{
    std::string out;
    for (char c : line.substr(0, kPrintableChars)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    if (line.size() > kPrintableChars)
        out += "...";
    return out;
}

std::vector<TrayLineFramer::Line> TrayLineFramer::Feed(std::string_view bytes)
{
    std::vector<Line> lines;
    for (char c : bytes) {
        if (c == '\n') {
            if (!m_skipping) {
                if (!m_pending.empty() && m_pending.back() == '\r')
                    m_pending.pop_back();
                lines.push_back({std::move(m_pending), false});
            }
            m_pending.clear();
            m_skipping = false;
            continue;
        }
        if (m_skipping)
            continue;
        if (m_pending.size() == kMaxTrayLineBytes) {
            lines.push_back({std::move(m_pending), true});
            m_pending.clear();
            m_skipping = true;
            continue;
        }
        m_pending += c;
    }
    return lines;
}

std::optional<TrayLineFramer::Line> TrayLineFramer::Finish()
{
    std::optional<Line> last;
    if (!m_skipping && !m_pending.empty()) {
        if (m_pending.back() == '\r')
            m_pending.pop_back();
        last = Line{std::move(m_pending), false};
    }
    m_pending.clear();
    m_skipping = false;
    return last;
}
