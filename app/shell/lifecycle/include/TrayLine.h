#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The tray socket's line protocol: one message per line,
//
//   0x83E8 A1 0
//   |      |  +-- second parameter, hexadecimal (0 from the program's own senders)
//   |      +----- first parameter, hexadecimal: the scan code or wake-up code
//   +------------ message number, hexadecimal; only 0x83E8 is accepted
//
// Fields are separated by blanks or tabs; "0x" prefixes are optional; a line ends with "\n" (a
// "\r" before it is dropped).

inline constexpr std::uint32_t kTrayLineMessage = 0x83E8;
// A longer line is no message of ours: it is dropped whole.
inline constexpr std::size_t kMaxTrayLineBytes = 256;

struct TrayLineMessage {
    std::uint32_t message;
    std::uint64_t wParam;
    std::uint64_t lParam;
};

// A message, or why the line is not one.
struct TrayLineResult {
    std::optional<TrayLineMessage> message;
    std::string problem;
};

TrayLineResult ParseTrayLine(std::string_view line);

// "0x83E8 <wParam> <lParam>\n" in upper-case hexadecimal.
std::string FormatTrayLine(std::uint64_t wParam, std::uint64_t lParam);

// The line as it may appear in a trace: at most 64 characters, anything but printable ASCII
// written as \xNN.
std::string PrintableLine(std::string_view line);

// Splits the bytes of one connection into lines. Takes chunks as they arrive; a line longer than
// kMaxTrayLineBytes is reported once as overlong and the rest of it (up to its "\n") is skipped.
class TrayLineFramer {
public:
    struct Line {
        std::string text; // without "\r\n"; the first kMaxTrayLineBytes bytes of an overlong line
        bool overlong = false;
    };

    std::vector<Line> Feed(std::string_view bytes);
    // What is left when the peer has closed: a last line without "\n" counts as a line.
    std::optional<Line> Finish();

private:
    std::string m_pending;
    bool m_skipping = false;
};
