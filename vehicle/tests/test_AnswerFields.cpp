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
    FieldsKind kind;
};

// Lines as the interpreter prints them with headers and CAN formatting on.
const FieldCase kFieldCases[] = {
    {"engine speed, fields 6..7", "3 0F004 00 F0 7D 7D 68 13 00 F0 7D\r\n", 6, 7, "1368", 0x1368, FieldsKind::Value},
    {"coolant, one field", "6 0FEEE 00 7D 55 FF FF FF FF FF FF\r\n", 3, 3, "7D", 0x7D, FieldsKind::Value},
    {"odometer, the line's last four fields", "6 0FEE0 17 A0 0F 00 00 10 27 00 00\r\n", 7, 10, "00002710", 10000, FieldsKind::Value},
    {"trip distance, first four data bytes", "6 0FEE0 17 A0 0F 00 00 10 27 00 00\r\n", 3, 6, "00000FA0", 4000, FieldsKind::Value},
    {"runs of spaces and leading spaces", "  6   0FEE0 17  A0 0F 00 00   10 27 00 00  \r\n", 7, 10, "00002710", 10000, FieldsKind::Value},
    {"line end without CR", "6 0FEE0 17 A0 0F 00 00 10 27 00 00\n", 7, 10, "00002710", 10000, FieldsKind::Value},
    {"line cut short: only the fields there are", "6 0FEE0 17 A0 0F 00 00 10 27\r\n", 7, 10, "2710", 0x2710, FieldsKind::Missing},
    {"status line instead of data", "NO DATA\r\n", 6, 7, "", -1, FieldsKind::Missing},
    {"empty line", "\r\n", 3, 3, "", -1, FieldsKind::Missing},
    {"first after last takes nothing", "3 0F004 00 F0 7D 7D 68 13\r\n", 7, 6, "", -1, FieldsKind::Missing},
    {"not-available bytes, two", "3 0F004 00 F0 7D 7D FF FF 00 F0 7D\r\n", 6, 7, "FFFF", 0xFFFF, FieldsKind::NotAvailable},
    {"not-available bytes, four, saturate", "6 0FEE0 17 FF FF FF FF FF FF FF FF\r\n", 7, 10, "FFFFFFFF", 0x7FFFFFFF, FieldsKind::NotAvailable},
    {"reading stops at the first non-hex character", "6 0FEF1 00 FF 1Z 50\r\n", 4, 5, "501Z", 0x501, FieldsKind::Missing},
    {"lower case digits", "6 0FEF1 00 ff 00 5a\r\n", 4, 5, "5a00", 0x5A00, FieldsKind::Value},
    {"a field longer than a byte saturates", "6 0FEF1 00 FF 123456789AB 00\r\n", 4, 4, "123456789AB", 0x7FFFFFFF, FieldsKind::Missing},
    {"error code, one byte", "6 0FEEE 00 FE 55 FF FF FF FF FF FF\r\n", 3, 3, "FE", 0xFE, FieldsKind::NotAvailable},
    {"error code, two bytes", "3 0F004 00 F0 7D 7D 00 FE 00 F0 7D\r\n", 6, 7, "FE00", 0xFE00, FieldsKind::NotAvailable},
    {"error code, four bytes", "6 0FEE9 00 FF FF FF FF 5B 64 01 FE\r\n", 7, 10, "FE01645B", 0x7FFFFFFF, FieldsKind::NotAvailable},
    {"0xFF in a lower byte is a value", "3 0F004 00 F0 7D 7D FF 13 00 F0 7D\r\n", 6, 7, "13FF", 0x13FF, FieldsKind::Value},
    {"reserved range below the codes is a value", "3 0F004 00 F0 7D 7D FF FD 00 F0 7D\r\n", 6, 7, "FDFF", 0xFDFF, FieldsKind::Value},
    {"text after the line end is not a field", "6 0FEF1 00 FF\r\n12 34", 4, 5, "", -1, FieldsKind::Missing},
};

class FieldExtraction : public testing::TestWithParam<FieldCase> {};

TEST_P(FieldExtraction, TakesTheFieldsMostSignificantFirst)
{
    const FieldCase& c = GetParam();
    const ExtractedValue v = extractFields(c.line, c.first, c.last);
    EXPECT_EQ(v.text, c.text);
    EXPECT_EQ(v.raw, c.raw);
    EXPECT_EQ(v.kind, c.kind);
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
