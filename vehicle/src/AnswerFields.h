#pragma once

#include <string>
#include <string_view>

namespace tarvik::vehicle {

// A data line of a monitored parameter group, headers and CAN formatting on:
//
//   3 0F004 00 F0 7D 7D 68 13 00 F0 7D<CR><LF>
//   0 1     2  3  4  5  6  7  8  9  10
//
// field 0 the priority, 1 the PGN, 2 the source address, field k (k >= 3) data byte k - 2. J1939
// sends a multi-byte parameter least significant byte first.

// Whether the fields carry a value. J1939 reserves the top of each parameter's range: a most
// significant byte of 0xFE is "error", 0xFF "not available" (0xFE../0xFF.. for one byte, 0xFExx /
// 0xFFxx for two, 0xFExxxxxx / 0xFFxxxxxx for four). A status line of the interpreter ("NO DATA",
// "CAN ERROR", ...) or noise has not all the fields, or fields that are not two hex digits.
enum class FieldsKind {
    Value,
    NotAvailable, // the sender's error or not-available code
    Missing,      // not a data line with these fields
};

struct ExtractedValue {
    long raw;          // -1 when the line has none of the fields
    std::string text;  // the fields taken, most significant first ("1368" for fields 6..7 above)
    FieldsKind kind;
};

// The fields first..last (inclusive) of a line, joined most significant first and read as
// hexadecimal. Fields are separated by runs of spaces; the line ends at its first CR or LF.
ExtractedValue extractFields(std::string_view line, int first, int last);

// Reads text as the C library's strtol(text, nullptr, 16) does for a 32-bit long: leading white
// space, an optional sign and "0x", then hexadecimal digits up to the first other character;
// values beyond the 32-bit range saturate at 0x7FFFFFFF (or -0x80000000). No digits give 0.
long parseHexSaturated(std::string_view text);

} // namespace tarvik::vehicle
