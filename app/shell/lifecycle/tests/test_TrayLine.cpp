// The tray socket's line protocol: what counts as a message, and the framing of the byte stream.

#include "TrayLine.h"

#include <gtest/gtest.h>

namespace {

struct LineCase {
    const char* line;
    bool accepted;
    std::uint64_t wParam;
    std::uint64_t lParam;
};

TEST(TrayLine, WhichLinesAreMessages)
{
    const LineCase cases[] = {
        {"0x83E8 A1 0", true, 0xA1, 0},
        {"0x83e8 0xa1 0x0", true, 0xA1, 0},
        {"83E8 3F 0", true, 0x3F, 0},
        {"\t0x83E8   55\t7  ", true, 0x55, 7},
        {"0x83E8 A1 0\r", true, 0xA1, 0},
        {"0x83E8 FFFFFFFFFFFFFFFF 1", true, 0xFFFFFFFFFFFFFFFFull, 1},
        {"0x83E8 1FFFFFFFFFFFFFFFF 0", false, 0, 0}, // beyond 64 bits
        {"0x7E9 0 0", false, 0, 0},                 // another message number
        {"0x83E8 A1", false, 0, 0},
        {"0x83E8 A1 0 0", false, 0, 0},
        {"0x83E8 G1 0", false, 0, 0},
        {"0x83E8 -1 0", false, 0, 0},
        {"0x83E8 0x 0", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.line);
        const TrayLineResult result = ParseTrayLine(c.line);
        ASSERT_EQ(result.message.has_value(), c.accepted) << result.problem;
        if (c.accepted) {
            EXPECT_EQ(result.message->message, 0x83E8u);
            EXPECT_EQ(result.message->wParam, c.wParam);
            EXPECT_EQ(result.message->lParam, c.lParam);
        } else {
            EXPECT_FALSE(result.problem.empty());
        }
    }
    EXPECT_EQ(ParseTrayLine("0x7E9 0 0").problem, "message 0x7E9 is not accepted");
}

TEST(TrayLine, FormattedLinesParseBack)
{
    EXPECT_EQ(FormatTrayLine(0xA1, 0), "0x83E8 A1 0\n");
    const std::string line = FormatTrayLine(0x3F, 0x12345);
    const TrayLineResult result = ParseTrayLine(std::string_view(line).substr(0, line.size() - 1));
    ASSERT_TRUE(result.message);
    EXPECT_EQ(result.message->wParam, 0x3Fu);
    EXPECT_EQ(result.message->lParam, 0x12345u);
}

TEST(TrayLine, PrintableLineEscapesAndCuts)
{
    EXPECT_EQ(PrintableLine("0x83E8 A1\x01\xff"), "0x83E8 A1\\x01\\xFF");
    EXPECT_EQ(PrintableLine("a\\b"), "a\\x5Cb");
    EXPECT_EQ(PrintableLine(std::string(100, 'x')), std::string(64, 'x') + "...");
}

TEST(TrayLineFramer, LinesAcrossChunks)
{
    TrayLineFramer framer;
    EXPECT_TRUE(framer.Feed("0x83E8 A").empty());
    auto lines = framer.Feed("1 0\r\n0x83E8 55 0\n\n0x83");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "0x83E8 A1 0");
    EXPECT_EQ(lines[1].text, "0x83E8 55 0");
    EXPECT_EQ(lines[2].text, "");
    EXPECT_FALSE(lines[0].overlong);
    // The peer closes without a final line end: the rest is the last line.
    const auto last = framer.Finish();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->text, "0x83");
    EXPECT_FALSE(framer.Finish());
}

TEST(TrayLineFramer, OverlongLineIsReportedOnceAndSkippedToItsEnd)
{
    TrayLineFramer framer;
    const std::string exact(kMaxTrayLineBytes, 'a');
    auto lines = framer.Feed(exact + "\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(lines[0].overlong);

    lines = framer.Feed(std::string(kMaxTrayLineBytes + 1, 'b'));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].overlong);
    EXPECT_EQ(lines[0].text.size(), kMaxTrayLineBytes);
    // Megabytes more of the same line cost nothing and report nothing.
    EXPECT_TRUE(framer.Feed(std::string(1 << 20, 'c')).empty());
    // Its line end ends the skipping; the next line counts again.
    lines = framer.Feed("tail\n0x83E8 A1 0\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "0x83E8 A1 0");

    // A peer that closes in the middle of an overlong line leaves no line behind.
    TrayLineFramer closing;
    EXPECT_EQ(closing.Feed(std::string(kMaxTrayLineBytes + 10, 'd')).size(), 1u);
    EXPECT_FALSE(closing.Finish());
}

} // namespace
