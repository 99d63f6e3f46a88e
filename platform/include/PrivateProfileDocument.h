#pragma once

#include "TarvikPlatformExport.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarvik {

// One private-profile (INI) file held in memory: the parser, the queries and the edits behind the
// private-profile functions (PrivateProfile.h). Queries follow the Windows functions exactly (the
// buffer, truncation and return-value rules); edits change only the lines they must, so that every
// other line, its bytes, its line end and the file's encoding are written back as they were read.
//
// Text: UTF-8 (with or without a byte-order mark), or UTF-16 with a byte-order mark (little or
// big endian). A line ends at CR LF, LF or a bare CR. Parsing never fails: damaged or binary
// content is read as well as it goes, and invalid UTF-8 is matched as U+FFFD but kept as it was.
class TARVIK_PLATFORM_EXPORT PrivateProfileDocument {
public:
    enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16Be };

    // An empty document: UTF-8 without a byte-order mark, lines ended by CR LF (what a new file
    // gets on Windows).
    PrivateProfileDocument() = default;

    static PrivateProfileDocument parse(std::string_view bytes);

    Encoding encoding() const { return encoding_; }
    // The file again: the original bytes of every line not edited.
    std::string serialize() const;

    // The Windows queries on this document; a null buffer or a size of 0 returns 0 and writes
    // nothing.
    //  getString: section null lists the section names, key null the key names of the section
    //             (lines with "=" only); otherwise the value, or the default with its trailing
    //             blanks removed.
    std::uint32_t getString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                            wchar_t* buffer, std::uint32_t size) const;
    //  getInt: the value read as an integer (sign, 0x/0o/0b prefixes, wrap-around modulo 2^32,
    //          stops at the first other character; a leading other character gives 0); an absent
    //          or empty value gives the default.
    std::uint32_t getInt(const wchar_t* section, const wchar_t* key, std::int32_t defaultValue) const;
    //  getSection: the lines of a section, "key=value" or a line without "=" as it stands.
    std::uint32_t getSection(const wchar_t* section, wchar_t* buffer, std::uint32_t size) const;
    std::uint32_t getSectionNames(wchar_t* buffer, std::uint32_t size) const;

    // getString with a buffer of bufferChars characters, as a string.
    std::wstring readString(const std::wstring& section, const std::wstring& key,
                            const std::wstring& defaultValue, std::uint32_t bufferChars) const;
    // Whether the section holds a line "key=..." (a line without "=" does not count).
    bool hasValue(const std::wstring& section, const std::wstring& key) const;

    // Edits; each returns whether the document changed.
    //  setValue: the first matching key of the first matching section gets the value (leading
    //            blanks removed); a new key goes after the last entry of its section, a new section
    //            at the end of the file.
    bool setValue(const std::wstring& section, const std::wstring& key, const std::wstring& value);
    bool removeKey(const std::wstring& section, const std::wstring& key);
    //  removeSection: the first matching section, its header and every line up to the next one.
    bool removeSection(const std::wstring& section);

private:
    enum class Kind { Blank, Comment, Section, Entry };

    struct Line {
        std::string raw; // the line's bytes in the file's encoding, without its end
        std::string eol; // the line end's bytes; empty for a last line without one
        Kind kind = Kind::Blank;
        std::wstring name;  // section name, or key (trimmed)
        std::wstring value; // entry value (trimmed), when hasEquals
        bool hasEquals = false;
    };

    struct Section {
        std::wstring name;
        std::size_t header = 0; // index of the header line
        std::size_t end = 0;    // one past its last line
    };

    void appendRawLine(std::string raw, std::string eol);
    void classify(Line& line) const;
    void reindex();
    std::wstring decode(const std::string& raw) const;
    std::string encode(std::wstring_view text) const;
    std::string newLineEnd() const;
    const Section* findSection(std::wstring_view name) const;
    // Index of the first line of the section that is an entry with this key, or npos.
    std::size_t findEntry(const Section& section, std::wstring_view key) const;
    std::vector<std::wstring> sectionNames() const;
    std::vector<std::wstring> keyNames(const Section& section) const;

    Encoding encoding_ = Encoding::Utf8;
    std::string bom_;
    std::string trailer_;
    std::vector<Line> lines_;
    std::vector<Section> sections_;
    // Case-folded name → index in sections_ of the first section of that name, so that a reader
    // asking hundreds of questions (the key map) does not scan the file for each.
    std::unordered_map<std::wstring, std::size_t> firstSection_;
};

} // namespace tarvik
