#pragma once

#include "TarvikPlatformExport.h"

#include <string>
#include <string_view>

namespace tarvik {

// UTF-8 ⇄ wide (UTF-32 on Linux). Invalid input bytes become U+FFFD; nothing throws.
TARVIK_PLATFORM_EXPORT std::wstring utf8ToWide(std::string_view text);
TARVIK_PLATFORM_EXPORT std::string wideToUtf8(std::wstring_view text);

} // namespace tarvik
