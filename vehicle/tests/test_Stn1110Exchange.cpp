// The prompt and answer exchanges against a scripted chip; waits are counted, not waited.
#include "ScriptedPort.h"
#include "Stn1110Exchange.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace tarvik::vehicle;
using tarvik::vehicle::test::RecordingTrace;
using tarvik::vehicle::test::ScriptedPort;

namespace {

class Exchange : public testing::Test {
protected:
    ScriptedPort port;
    tarvik::test::RecordingSleeper sleeper;
    RecordingTrace trace;
    Stn1110Exchange exchange{port, sleeper, trace};
};

TEST_F(Exchange, PromptAsTheLastByteOfAReadEndsTheExchange)
{
    port.replies["ATH1\r"] = {"", "ATH1\r", "", "OK\r\n\r\n>"};
    EXPECT_TRUE(exchange.promptExchange("ATH1\r"));
    EXPECT_EQ(port.written, std::vector<std::string>{"ATH1\r"});
    EXPECT_EQ(trace.lines, std::vector<std::string>{"ATH1\rOK\r\n\r\n>"});
    // A poll that brought no prompt is followed by a 20 ms wait; the one with the prompt is not.
    EXPECT_EQ(sleeper.waits(), std::vector<unsigned>(3, 20));
}

TEST_F(Exchange, PromptInsideAReadIsNotThePrompt)
{
    port.replies["ATSPA\r"] = {"OK\r\n>\r\n", "", "more\r\n>"};
    EXPECT_TRUE(exchange.promptExchange("ATSPA\r"));
    EXPECT_EQ(trace.lines, std::vector<std::string>{"OK\r\n>\r\nmore\r\n>"});
    EXPECT_EQ(sleeper.count(20), 2u);
}

TEST_F(Exchange, NoPromptGivesUpAfter150PollsOf20Ms)
{
    port.replies["ATL1\r"] = {"ATL1\r", "OK\r\n"};
    EXPECT_FALSE(exchange.promptExchange("ATL1\r"));
    EXPECT_EQ(sleeper.waits(), std::vector<unsigned>(150, 20));
    EXPECT_EQ(trace.lines, std::vector<std::string>{"Can't read response from STN1110!\n"});
}

TEST_F(Exchange, PromptTextThatOutgrowsItsBufferKeepsItsFirstPart)
{
    const std::string noise(600, 'x');
    std::vector<std::string> reads(20, noise);
    reads.front() = "HEAD" + noise.substr(4);
    reads.push_back("tail>");
    port.replies["\r"] = reads;
    EXPECT_TRUE(exchange.promptExchange("\r"));
    ASSERT_EQ(trace.lines.size(), 1u);
    EXPECT_EQ(trace.lines[0].size(), Stn1110Exchange::kTextCapacity);
    EXPECT_EQ(trace.lines[0].substr(0, 4), "HEAD");
}

TEST_F(Exchange, AnswerSkipsTheEchoAndReturnsTheDataLine)
{
    port.replies["ATMP00F004\r"] = {"ATMP00F004\r\n", "", "3 0F004 00 F0 7D 7D 68 13 00 F0 7D\r\n3 0F004 00 F0"};
    const auto answer = exchange.answerExchange("ATMP00F004\r");
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, "3 0F004 00 F0 7D 7D 68 13 00 F0 7D\r\n");
    EXPECT_EQ(trace.lines, std::vector<std::string>{"ATMP00F004\r\n"});
    EXPECT_EQ(sleeper.count(20), 1u);
    // The line ends at its line feed: the next line's bytes stay queued.
    ASSERT_EQ(port.queued.size(), 1u);
    EXPECT_EQ(port.queued.front(), "3 0F004 00 F0");
}

TEST_F(Exchange, AnswerWithoutAnEchoIsTakenAtOnce)
{
    port.replies["ATMP00FEEE\r"] = {"6 0FEEE 00 7D 55 FF FF FF FF FF FF\r\n"};
    const auto answer = exchange.answerExchange("ATMP00FEEE\r");
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, "6 0FEEE 00 7D 55 FF FF FF FF FF FF\r\n");
    EXPECT_TRUE(trace.lines.empty());
    EXPECT_EQ(sleeper.totalMs(), 0u);
}

TEST_F(Exchange, EveryEchoIsSkippedAndAStatusLineIsAnAnswer)
{
    port.replies["ATMP00FEF1\r"] = {"ATMP00FEF1\r\n", "ATMP00FEF1\r\n", "NO DATA\r\n"};
    const auto answer = exchange.answerExchange("ATMP00FEF1\r");
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, "NO DATA\r\n");
    EXPECT_EQ(trace.lines.size(), 2u);
}

TEST_F(Exchange, SilenceEndsTheAnswerAfter150IdlePolls)
{
    // Idle polls add up over the exchange; bytes in between do not reset the count.
    std::vector<std::string> reads(100, "");
    reads.push_back("ATMP00FEE9\r\n");
    port.replies["ATMP00FEE9\r"] = reads;
    EXPECT_FALSE(exchange.answerExchange("ATMP00FEE9\r"));
    EXPECT_EQ(sleeper.waits(), std::vector<unsigned>(150, 20));
}

TEST_F(Exchange, AnOverlongLineKeepsItsFirstPart)
{
    port.replies["ATMP00FEB0\r"] = {"6 0FEB0 00 " + std::string(9000, 'A') + "\r\n"};
    const auto answer = exchange.answerExchange("ATMP00FEB0\r");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->size(), Stn1110Exchange::kTextCapacity);
    EXPECT_EQ(answer->substr(0, 11), "6 0FEB0 00 ");
}

TEST_F(Exchange, BytesLeftFromAnEarlierExchangeAreNotTakenForTheAnswer)
{
    // After a status line the chip is already at its prompt, so the CR that stops monitoring earns
    // a second, unread prompt.
    port.queued = {"\r\n>", "6 0FEF1 00 FF 00 50 1F 00 00 00 C0\r\n"};
    port.replies["ATMP00F004\r"] = {"ATMP00F004\r\n", "3 0F004 00 F0 7D 7D 68 13 00 F0 7D\r\n"};
    const auto answer = exchange.answerExchange("ATMP00F004\r");
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, "3 0F004 00 F0 7D 7D 68 13 00 F0 7D\r\n");

    port.queued = {"3 0F004 00 F0 7D 7D 68 13 00 F0 7D\r\n"};
    port.replies["\r"] = {"\r\n>"};
    EXPECT_TRUE(exchange.promptExchange("\r"));
    EXPECT_EQ(trace.lines.back(), "\r\n>");
}

} // namespace
