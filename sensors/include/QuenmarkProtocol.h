#pragma once

#include <cstddef>
#include <cstdint>

// The names, sizes and status convention the Quenmark temperature service and its callers share.
// Both sides (this library and the virtual board's simulated service) include this header; it is
// not part of the library's interface.
namespace quenmark {

inline constexpr const char* kServiceName = "Quenmark";
inline constexpr const char* kReplyFrame = "Global\\QuenmarkFrame#WmiAcpiService";
inline constexpr const char* kReplyLock = "Global\\QuenmarkMutex#WmiAcpiService";
inline constexpr const char* kCommandFrame = "Global\\QuenmarkCommandFrame";
inline constexpr const char* kCommandLock = "Global\\QuenmarkCommandMutex";
inline constexpr char16_t kCommandText[] = u"WmiAcpiService";
inline constexpr std::uint32_t kControlCode = 130;

// Reply frame: 32-bit status, 32-bit value (host order). Status 0 means "no answer yet", 1 "the
// value is a temperature in whole degrees Celsius", anything else a failure.
struct ReplyFrame {
    std::int32_t status;
    std::int32_t value;
};
static_assert(sizeof(ReplyFrame) == 8);
inline constexpr std::int32_t kStatusPending = 0;
inline constexpr std::int32_t kStatusOk = 1;
// What the caller writes before sending a command (the second word is the service's business).
inline constexpr ReplyFrame kRequestMarker = {kStatusPending, 1};

// Command frame: a wide string of at most 63 characters and its terminator, zero-padded to 128
// bytes. The characters are UTF-16 code units, the Windows wide characters, so that the frame keeps
// its size (wchar_t is 4 bytes here).
inline constexpr std::size_t kCommandFrameBytes = 128;
inline constexpr std::size_t kCommandChars = kCommandFrameBytes / sizeof(char16_t);
inline constexpr std::size_t kCommandMaxChars = kCommandChars - 1;
struct CommandFrame {
    char16_t text[kCommandChars];
};
static_assert(sizeof(CommandFrame) == kCommandFrameBytes);

} // namespace quenmark
