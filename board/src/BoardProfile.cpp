#include "BoardProfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace tarvik::board {

namespace {

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// A profile is a few hundred bytes; anything far larger is not a profile.
constexpr std::size_t kMaxProfileBytes = 1 << 20;

} // namespace

Result<BoardProfile> BoardProfile::load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Result<BoardProfile>::failure("board profile " + path + ": " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    if (text.str().size() > kMaxProfileBytes)
        return Result<BoardProfile>::failure("board profile " + path + ": damaged (too large)");
    return parse(text.str(), path);
}

Result<BoardProfile> BoardProfile::parse(const std::string& text, const std::string& pathForErrors)
{
    BoardProfile profile;
    std::istringstream in(text);
    std::string raw;
    std::string section;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        Line line;
        line.raw = raw;
        const std::string t = trim(raw);
        if (t.empty() || t[0] == '#' || t[0] == ';') {
            line.section = section;
        } else if (t.front() == '[' && t.back() == ']') {
            section = trim(t.substr(1, t.size() - 2));
            line.section = section;
            line.header = true;
        } else {
            const auto eq = t.find('=');
            if (eq == std::string::npos || eq == 0 || raw.find('\0') != std::string::npos)
                return Result<BoardProfile>::failure("board profile " + pathForErrors + ":" +
                                                     std::to_string(number) +
                                                     ": damaged (not a value line)");
            line.section = section;
            line.name = trim(t.substr(0, eq));
            line.value = trim(t.substr(eq + 1));
        }
        profile.lines_.push_back(std::move(line));
    }
    return profile;
}

std::optional<std::string> BoardProfile::get(const std::string& section, const std::string& name) const
{
    for (const Line& l : lines_) {
        if (!l.header && l.section == section && l.name == name)
            return l.value;
    }
    return std::nullopt;
}

std::vector<std::string> BoardProfile::getAll(const std::string& section, const std::string& name) const
{
    std::vector<std::string> values;
    for (const Line& l : lines_) {
        if (!l.header && l.section == section && l.name == name)
            values.push_back(l.value);
    }
    return values;
}

std::optional<std::string> BoardProfile::sectionOf(const std::string& name) const
{
    for (const Line& l : lines_) {
        if (!l.header && l.name == name)
            return l.section;
    }
    return std::nullopt;
}

void BoardProfile::set(const std::string& section, const std::string& name, const std::string& value)
{
    for (Line& l : lines_) {
        if (!l.header && l.section == section && l.name == name) {
            l.value = value;
            l.raw.clear();
            return;
        }
    }
    add(section, name, value);
}

void BoardProfile::add(const std::string& section, const std::string& name, const std::string& value)
{
    Line line;
    line.section = section;
    line.name = name;
    line.value = value;
    // After the last value or header of the section; a new section goes at the end.
    std::optional<std::size_t> after;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].section == section && (lines_[i].header || !lines_[i].name.empty()))
            after = i;
    }
    if (!after) {
        Line header;
        header.section = section;
        header.header = true;
        header.raw = "[" + section + "]";
        lines_.push_back(header);
        lines_.push_back(line);
        return;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*after + 1), line);
}

int BoardProfile::remove(const std::string& section, const std::string& name)
{
    int removed = 0;
    for (auto it = lines_.begin(); it != lines_.end();) {
        if (!it->header && it->section == section && it->name == name) {
            it = lines_.erase(it);
            ++removed;
        } else {
            ++it;
        }
    }
    return removed;
}

std::string BoardProfile::text() const
{
    std::string out;
    for (const Line& l : lines_) {
        if (!l.raw.empty() || (l.name.empty() && !l.header))
            out += l.raw;
        else if (l.header)
            out += "[" + l.section + "]";
        else
            out += l.name + " = " + l.value;
        out += '\n';
    }
    return out;
}

Status BoardProfile::save(const std::string& path) const
{
    const std::string temp = path + ".new." + std::to_string(getpid());
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return Status::failure("board profile " + temp + ": " + std::strerror(errno));
    const std::string body = text();
    std::size_t done = 0;
    while (done < body.size()) {
        const ssize_t n = write(fd, body.data() + done, body.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const std::string why = std::strerror(errno);
            close(fd);
            unlink(temp.c_str());
            return Status::failure("board profile " + temp + ": " + why);
        }
        done += static_cast<std::size_t>(n);
    }
    fsync(fd);
    close(fd);
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        unlink(temp.c_str());
        return Status::failure("board profile " + path + ": " + why);
    }
    return ok();
}

} // namespace tarvik::board
