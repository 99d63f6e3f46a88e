#pragma once

#include "BytePort.h"
#include "TraceSink.h"

#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace tarvik::vehicle::test {

// A chip that answers each command with scripted reads. Every chunk is what one read finds queued
// (cut to the reader's buffer, the rest stays for the next read); an empty chunk is a read that
// finds nothing. A command without a script gets no answer at all.
class ScriptedPort final : public BytePort {
public:
    std::map<std::string, std::vector<std::string>> replies;
    std::vector<std::string> written;
    std::deque<std::string> queued;
    int reads = 0;

    int read(char* buffer, int size) override
    {
        ++reads;
        buffer[0] = '\0';
        if (queued.empty() || size < 2)
            return 0;
        std::string& front = queued.front();
        const std::size_t count = std::min(front.size(), static_cast<std::size_t>(size - 1));
        std::memcpy(buffer, front.data(), count);
        buffer[count] = '\0';
        front.erase(0, count);
        if (front.empty())
            queued.pop_front();
        return static_cast<int>(count);
    }

    int write(const char* data, int length) override
    {
        const std::string command(data, static_cast<std::size_t>(length));
        written.push_back(command);
        const auto it = replies.find(command);
        if (it != replies.end())
            queued.insert(queued.end(), it->second.begin(), it->second.end());
        return length;
    }
};

class RecordingTrace final : public TraceSink {
public:
    std::vector<std::string> lines;
    void write(std::string_view text) override { lines.emplace_back(text); }
    bool contains(const std::string& text) const
    {
        for (const std::string& l : lines) {
            if (l == text)
                return true;
        }
        return false;
    }
};

} // namespace tarvik::vehicle::test
