// libFuzzer target for what other local programs may write to the tray socket: bytes of one
// connection, cut into the chunks a read may return (the first byte of each piece says how many
// follow), split into lines and parsed. Contract: no crash or undefined behaviour; lines never
// longer than the bound and never holding a line end; a message is always the accepted one and
// survives being written and read again; a trace of the line stays short and printable.
#include "TrayLine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(const TrayLineFramer::Line& line)
{
    if (line.text.size() > kMaxTrayLineBytes || line.text.find('\n') != std::string::npos)
        std::abort();
    const std::string printable = PrintableLine(line.text);
    if (printable.size() > 64 * 4 + 3)
        std::abort();
    for (char c : printable) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
            std::abort();
    }
    if (line.overlong)
        return;
    const TrayLineResult parsed = ParseTrayLine(line.text);
    if (parsed.message.has_value() == !parsed.problem.empty())
        std::abort(); // a message or a reason, never both or neither
    if (!parsed.message)
        return;
    const TrayLineMessage& m = *parsed.message;
    if (m.message != kTrayLineMessage)
        std::abort();
    const std::string again = FormatTrayLine(m.wParam, m.lParam);
    const TrayLineResult reparsed = ParseTrayLine(std::string_view(again).substr(0, again.size() - 1));
    if (!reparsed.message || reparsed.message->wParam != m.wParam || reparsed.message->lParam != m.lParam)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TrayLineFramer framer;
    std::size_t at = 0;
    while (at < size) {
        const std::size_t want = 1 + data[at] % 64;
        ++at;
        const std::size_t n = want < size - at ? want : size - at;
        for (const TrayLineFramer::Line& line : framer.Feed(std::string_view(reinterpret_cast<const char*>(data + at), n)))
            check(line);
        at += n;
    }
    if (const auto last = framer.Finish())
        check(*last);
    return 0;
}
