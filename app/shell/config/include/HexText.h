#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

// A hexadecimal unsigned number at the start of a text, as an unsigned base-16 conversion reads it:
// leading blanks, an optional "0x", then hex digits up to the first other character. No digits
// give 0; a number beyond 32 bits gives 0xFFFFFFFF.
std::uint32_t ParseHex(std::wstring_view text);

// The numbers of a comma-separated list, in order; empty pieces (leading, trailing or doubled
// commas) are skipped, each other piece is read with ParseHex.
std::vector<std::int32_t> ReadHexList(std::wstring_view text);
