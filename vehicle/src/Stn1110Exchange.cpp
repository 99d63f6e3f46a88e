#include "Stn1110Exchange.h"

#include "BytePort.h"
#include "Sleeper.h"
#include "TraceSink.h"

namespace tarvik::vehicle {

namespace {

constexpr char kPrompt = '>';
constexpr char kLineFeed = '\n';
// Bounds the clean-up before a command, in case the chip streams faster than it can be read.
constexpr int kMaxStaleReads = 64;

// Appends what still fits. A chip that talks for ever without a prompt or a line end (noise on the
// line, a wrong baud rate) would otherwise outgrow the buffer: the first part is kept and the rest
// dropped, which is what the trace and the decoding need.
void appendBounded(std::string& text, const char* bytes, std::size_t count)
{
    const std::size_t room = Stn1110Exchange::kTextCapacity - text.size();
    text.append(bytes, count < room ? count : room);
}

} // namespace

Stn1110Exchange::Stn1110Exchange(BytePort& port, Sleeper& sleeper, TraceSink& trace)
    : port_(port), sleeper_(sleeper), trace_(trace)
{
}

// Bytes still queued before a command belong to an earlier exchange: the prompt that follows a
// status line such as "NO DATA" (the chip already ended monitoring, so the stop exchange's CR earns
// a second prompt), or data lines printed after the answer was taken. Left queued, they would be
// taken for this command's answer or prompt and every later value would be read one step late.
void Stn1110Exchange::discardStale()
{
    char scratch[kPromptReadSize + 1];
    for (int i = 0; i < kMaxStaleReads && port_.read(scratch, kPromptReadSize) > 0; ++i) {
    }
}

bool Stn1110Exchange::promptExchange(std::string_view command)
{
    discardStale();
    std::string text;
    text.reserve(kTextCapacity);
    port_.write(command.data(), static_cast<int>(command.size()));
    for (int poll = 0; poll < kPolls; ++poll) {
        char buffer[kPromptReadSize + 1] = {};
        const int count = port_.read(buffer, kPromptReadSize);
        if (count > 0) {
            appendBounded(text, buffer, static_cast<std::size_t>(count));
            // A '>' inside the text (a data byte, noise) is not the prompt: the chip sends the
            // prompt last and then waits, so only a read that ends with it counts.
            if (buffer[count - 1] == kPrompt) {
                trace_.write(text);
                return true;
            }
        }
        sleeper_.sleepMs(kPollMs);
    }
    trace_.write("Can't read response from STN1110!\n");
    return false;
}

std::optional<std::string> Stn1110Exchange::answerExchange(std::string_view command)
{
    discardStale();
    const std::string_view echo = command.substr(0, command.empty() ? 0 : command.size() - 1);
    std::string line;
    line.reserve(kTextCapacity);
    int idlePolls = 0;
    port_.write(command.data(), static_cast<int>(command.size()));
    for (;;) {
        // One byte at a time, so the line ends exactly at its line feed and what follows stays
        // queued for the prompt exchange that stops the monitoring.
        char byte[2] = {};
        if (port_.read(byte, 2) <= 0) {
            sleeper_.sleepMs(kPollMs);
            if (++idlePolls >= kPolls)
                return std::nullopt;
            continue;
        }
        appendBounded(line, byte, 1);
        if (byte[0] != kLineFeed)
            continue;
        if (line.compare(0, echo.size(), echo) != 0)
            return line;
        trace_.write(line);
        line.clear();
    }
}

} // namespace tarvik::vehicle
