#include "SmsCode.h"

#include <QString>

#include <algorithm>
#include <cstring>

std::wstring SmsCodeFromBuffer(const SmsCodeBuffer& buffer, std::size_t maxChars)
{
    const char* end = static_cast<const char*>(std::memchr(buffer.data(), '\0', buffer.size()));
    const std::size_t length = std::min(end ? static_cast<std::size_t>(end - buffer.data()) : buffer.size(), maxChars);
    return QString::fromLocal8Bit(buffer.data(), static_cast<qsizetype>(length)).toStdWString();
}

bool IsValidSmsCode(const std::wstring& text)
{
    if (text.size() < kSmsCodeChars)
        return false;
    return std::all_of(text.begin(), text.begin() + kSmsCodeChars, [](wchar_t c) {
        return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F');
    });
}

std::string SmsCodeToLibrary(const std::wstring& text) { return QString::fromStdWString(text).toLocal8Bit().toStdString(); }
