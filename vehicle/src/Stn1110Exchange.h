#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvik {
class Sleeper;
}

namespace tarvik::vehicle {

class BytePort;
class TraceSink;

// The two ways the library talks to the STN1110: a command answered by the '>' prompt, and a
// command answered by one line (the first that is not the command's echo). Both give up after 150
// polls 20 ms apart, about 3 seconds.
class Stn1110Exchange {
public:
    static constexpr int kPolls = 150;
    static constexpr unsigned kPollMs = 20;
    // Text before the prompt and one answer line are kept up to this many characters (the
    // buffers hold 8192 bytes with their terminator).
    static constexpr std::size_t kTextCapacity = 8191;
    // One read of the prompt exchange: a 513-byte buffer of which 511 bytes are filled.
    static constexpr int kPromptReadSize = 512;

    Stn1110Exchange(BytePort& port, Sleeper& sleeper, TraceSink& trace);

    // Sends command and waits until a read ends with '>'; traces the text received up to it.
    // False (and "Can't read response from STN1110!") when no read ended with the prompt.
    bool promptExchange(std::string_view command);

    // Sends command and returns the first line, line feed included, that does not start with the
    // command without its carriage return; echo lines are traced and skipped. Nothing when 150
    // polls found no byte before such a line was complete.
    std::optional<std::string> answerExchange(std::string_view command);

private:
    void discardStale();

    BytePort& port_;
    Sleeper& sleeper_;
    TraceSink& trace_;
};

} // namespace tarvik::vehicle
