#pragma once

#include <string_view>

namespace tarvik::vehicle {

// Where the library's diagnostic lines go (standard output in the library, a list in tests). The
// text is written as it is: callers add the line ends the messages carry.
class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void write(std::string_view text) = 0;
};

} // namespace tarvik::vehicle
