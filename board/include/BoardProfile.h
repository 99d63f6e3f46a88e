#pragma once

#include "BoardResult.h"
#include "TarvikBoardExport.h"

#include <optional>
#include <string>
#include <vector>

namespace tarvik::board {

// The board's human-readable description, "profile.ini" in the board directory:
//
//   # comment
//   [firmware]
//   BIOSVersion = KTA1.06
//   [devices]
//   ports = u-blox GNSS Receiver (COM3)
//   ports = STN1110 J1939 Interpreter (COM5)
//   modem = Sierra Wireless WWAN Modem; COM7
//
// Sections and names are matched exactly. A name may repeat (the device lists); get() returns the
// first. Comments, order and blank lines survive a rewrite.
class TARVIK_BOARD_EXPORT BoardProfile {
public:
    // Reads a profile; a missing file or a line that is neither a section, a value, a comment nor
    // blank is an error naming the file and the line.
    static Result<BoardProfile> load(const std::string& path);
    static Result<BoardProfile> parse(const std::string& text, const std::string& pathForErrors);

    std::optional<std::string> get(const std::string& section, const std::string& name) const;
    std::vector<std::string> getAll(const std::string& section, const std::string& name) const;

    // Replaces the first value of that name, or adds it at the end of its section (the section is
    // added when missing).
    void set(const std::string& section, const std::string& name, const std::string& value);
    // Adds another value of that name after the last line of its section.
    void add(const std::string& section, const std::string& name, const std::string& value);
    // Removes every value of that name; returns how many were removed.
    int remove(const std::string& section, const std::string& name);

    // The section and name of the first value called name in any section.
    std::optional<std::string> sectionOf(const std::string& name) const;

    std::string text() const;

    // Replaces the file atomically (temporary file in the same folder, flushed, renamed over).
    Status save(const std::string& path) const;

private:
    struct Line {
        std::string raw;     // as read, for comments and blanks
        std::string section; // section this line belongs to
        std::string name;    // empty for comments, blanks and section headers
        std::string value;
        bool header = false;
    };
    std::vector<Line> lines_;
};

} // namespace tarvik::board
