// Field extraction and the hexadecimal reading of data lines.
#include "AnswerFields.h"

#include <gtest/gtest.h>

using namespace tarvik::vehicle;

namespace {

struct FieldCase {
    const char* what;
    const char* line;
    int first;
    int last;
    const char* text;
    long raw;
};

// Lines as the interpreter prints them with headers and CAN formatting on.
const FieldCase kFieldCases[] = {
    {"engine speed, fields 6..7", "3 0F004 00 F0 7D 7D 68 13 00 F0 7D\r\n", 6, 7, "1368", 0x1368},
    {"coolant, one field", "6 0FEEE 00 7D 55 FF FF FF FF FF FF\r\n", 3, 3, "7D", 0x7D},
    {"odometer, the line's last four fields", "6 0FEE0 17 A0 0F 00 00 10 27 00 00\r\n", 7, 10, "00002710", 10000},
    {"trip distance, first four data bytes", "6 0FEE0 17 A0 0F 00 00 10 27 00 00\r\n", 3, 6, "00000FA0", 4000},
    {"runs of spaces and leading spaces", "  6   0FEE0 17  A0 0F 00 00   10 27 00 00  \r\n", 7, 10, "00002710", 10000},
    {"line end without CR", "6 0FEE0 17 A0 0F 00 00 10 27 00 00\n", 7, 10, "00002710", 10000},
    {"line cut short: only the fields there are", "6 0FEE0 17 A0 0F 00 00 10 27\r\n", 7, 10, "2710", 0x2710},
    {"status line instead of data", "NO DATA\r\n", 6, 7, "", -1},
    {"empty line", "\r\n", 3, 3, "", -1},
    {"first after last takes nothing", "3 0F004 00 F0 7D 7D 68 13\r\n", 7, 6, "", -1},
    {"not-available bytes, two", "3 0F004 00 F0 7D 7D FF FF 00 F0 7D\r\n", 6, 7, "FFFF", 0xFFFF},
    {"not-available bytes, four, saturate", "6 0FEE0 17 FF FF FF FF FF FF FF FF\r\n", 7, 10, "FFFFFFFF", 0x7FFFFFFF},
    {"reading stops at the first non-hex character", "6 0FEF1 00 FF 1Z 50\r\n", 4, 5, "501Z", 0x501},
    {"lower case digits", "6 0FEF1 00 ff 00 5a\r\n", 4, 5, "5a00", 0x5A00},
    {"a field longer than a byte saturates", "6 0FEF1 00 FF 123456789AB 00\r\n", 4, 4, "123456789AB", 0x7FFFFFFF},
    {"text after the line end is not a field", "6 0FEF1 00 FF\r\n12 34", 4, 5, "", -1},
};

class FieldExtraction : public testing::TestWithParam<FieldCase> {};

TEST_P(FieldExtraction, TakesTheFieldsMostSignificantFirst)
{
    const FieldCase& c = GetParam();
    const ExtractedValue v = extractFields(c.line, c.first, c.last);
    EXPECT_EQ(v.text, c.text);
    EXPECT_EQ(v.raw, c.raw);
}

INSTANTIATE_TEST_SUITE_P(Lines, FieldExtraction, testing::ValuesIn(kFieldCases),
                         [](const testing::TestParamInfo<FieldCase>& info) { return "case" + std::to_string(info.index); });

TEST(ParseHexSaturated, ReadsAsStrtolBase16OnA32BitLong)
{
    const struct {
        const char* text;
        long value;
    } cases[] = {
        {"7D", 0x7D},
        {"0x1F", 0x1F},
        {"0X1f", 0x1F},
        {"0x", 0},      // "0" read, stops at x
        {"0xZ", 0},
        {"", 0},
        {"ZZ", 0},
        {" \t7f", 0x7F},
        {"-1", -1},
        {"+10", 0x10},
        {"7FFFFFFF", 0x7FFFFFFF},
        {"80000000", 0x7FFFFFFF},
        {"FFFFFFFFFFFFFFFFFFFFFFFF", 0x7FFFFFFF},
        {"-80000000", -0x80000000L},
        {"-80000001", -0x80000000L},
        {"00000000000000000000002A", 0x2A},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseHexSaturated(c.text), c.value);
    }
}

} // namespace
