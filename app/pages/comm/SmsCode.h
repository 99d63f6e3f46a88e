#pragma once

#include <array>
#include <cstddef>
#include <string>

// The 8-character wake-on-SMS code as the pages read it from and hand it to the power library.

inline constexpr std::size_t kSmsCodeChars = 8;
// What the library's read fills: 8 characters and the terminator, in a buffer of 20 bytes.
inline constexpr std::size_t kSmsCodeBufferBytes = 20;
using SmsCodeBuffer = std::array<char, kSmsCodeBufferBytes>;

// The text in the buffer up to its terminator, at most maxChars characters, from the system's
// 8-bit code page. A buffer without a terminator ends at its last byte.
std::wstring SmsCodeFromBuffer(const SmsCodeBuffer& buffer, std::size_t maxChars);

// True when the first eight characters of the text are each 0-9 or A-F (a shorter text fails at
// its end; characters after the eighth are not looked at, as the entry field takes no more).
bool IsValidSmsCode(const std::wstring& text);

// The code as the library takes it: the system's 8-bit code page, terminated.
std::string SmsCodeToLibrary(const std::wstring& text);
