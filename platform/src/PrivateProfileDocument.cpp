#include "PrivateProfileDocument.h"

#include "TextConvert.h"

#include <algorithm>

namespace tarvik {

namespace {

constexpr std::size_t npos = std::string::npos;

// GetPrivateProfileInt converts at most this many characters (Wine reads the value into a buffer
// of 30 characters before converting it).
constexpr std::uint32_t kIntTextChars = 30;

constexpr unsigned char kUtf8Bom[] = {0xEF, 0xBB, 0xBF};
constexpr unsigned char kUtf16LeBom[] = {0xFF, 0xFE};
constexpr unsigned char kUtf16BeBom[] = {0xFE, 0xFF};

// The blanks trimmed around names and values: TAB, LF, VT, FF, CR, space and ^Z (an end-of-file
// mark that old editors leave on the last line).
bool isBlank(wchar_t c)
{
    return c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r' || c == L' ' || c == 0x1A;
}

std::wstring_view trim(std::wstring_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Names compare without regard to letter case; the names of this program are ASCII.
wchar_t foldCase(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

std::wstring folded(std::wstring_view s)
{
    std::wstring out(s);
    for (wchar_t& c : out)
        c = foldCase(c);
    return out;
}

bool sameName(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(a[i]) != foldCase(b[i]))
            return false;
    }
    return true;
}

// A text as a C string would show it: up to its first NUL.
std::wstring_view upToNul(std::wstring_view s)
{
    const std::size_t nul = s.find(L'\0');
    return nul == npos ? s : s.substr(0, nul);
}

// A value in matching single or double quotes loses them; inner quotes stay.
std::wstring_view unquote(std::wstring_view s)
{
    if (s.size() >= 2 && (s.front() == L'"' || s.front() == L'\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

// One string into the caller's buffer: cut to size - 1 characters, always NUL-terminated; the
// result is the number of characters copied.
std::uint32_t copyString(std::wstring_view text, wchar_t* buffer, std::uint32_t size)
{
    text = upToNul(text);
    const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::copy_n(text.data(), n, buffer);
    buffer[n] = L'\0';
    return static_cast<std::uint32_t>(n);
}

// A list of strings, each followed by a NUL, the whole followed by one more. When the list and
// its final double NUL do not fit, the list is cut at size - 2 characters, ends in a double NUL,
// and the result is size - 2 (Windows 2003 and later report an exact fit the same way). An empty
// list writes a single NUL.
std::uint32_t copyList(const std::vector<std::wstring>& items, wchar_t* buffer, std::uint32_t size)
{
    std::wstring all;
    for (const std::wstring& item : items) {
        const std::wstring_view cut = upToNul(item);
        if (cut.empty())
            continue; // an empty entry would end the list early
        all.append(cut);
        all.push_back(L'\0');
    }
    if (all.empty()) {
        buffer[0] = L'\0';
        return 0;
    }
    if (all.size() + 2 <= size) {
        std::copy(all.begin(), all.end(), buffer);
        buffer[all.size()] = L'\0';
        return static_cast<std::uint32_t>(all.size());
    }
    if (size < 2) {
        buffer[0] = L'\0';
        return 0;
    }
    std::copy_n(all.data(), size - 2, buffer);
    buffer[size - 2] = L'\0';
    buffer[size - 1] = L'\0';
    return size - 2;
}

int digitValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'z')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'Z')
        return c - L'A' + 10;
    return 99;
}

// The integer conversion of GetPrivateProfileInt: blanks, a sign, a base prefix (0x, 0o, 0b),
// digits; unsigned 32-bit arithmetic, so values wrap around modulo 2^32.
std::uint32_t parseProfileInt(std::wstring_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] <= L' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == L'0') {
        const wchar_t p = foldCase(text[i + 1]);
        if (p == L'X')
            base = 16;
        else if (p == L'O')
            base = 8;
        else if (p == L'B')
            base = 2;
        if (base != 10)
            i += 2;
    }
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const int d = digitValue(text[i]);
        if (d >= static_cast<int>(base))
            break;
        value = value * base + static_cast<std::uint32_t>(d);
    }
    return negative ? 0u - value : value;
}

bool startsWith(std::string_view bytes, const unsigned char* prefix, std::size_t n)
{
    return bytes.size() >= n && std::equal(prefix, prefix + n, reinterpret_cast<const unsigned char*>(bytes.data()));
}

} // namespace

PrivateProfileDocument PrivateProfileDocument::parse(std::string_view bytes)
{
    PrivateProfileDocument doc;
    if (startsWith(bytes, kUtf8Bom, sizeof kUtf8Bom)) {
        doc.encoding_ = Encoding::Utf8Bom;
        doc.bom_.assign(bytes.substr(0, sizeof kUtf8Bom));
    } else if (startsWith(bytes, kUtf16LeBom, sizeof kUtf16LeBom)) {
        doc.encoding_ = Encoding::Utf16Le;
        doc.bom_.assign(bytes.substr(0, sizeof kUtf16LeBom));
    } else if (startsWith(bytes, kUtf16BeBom, sizeof kUtf16BeBom)) {
        doc.encoding_ = Encoding::Utf16Be;
        doc.bom_.assign(bytes.substr(0, sizeof kUtf16BeBom));
    }
    bytes.remove_prefix(doc.bom_.size());

    const bool wide = doc.encoding_ == Encoding::Utf16Le || doc.encoding_ == Encoding::Utf16Be;
    const std::size_t unit = wide ? 2 : 1;
    // The code unit at byte offset i.
    auto unitAt = [&](std::size_t i) -> unsigned {
        if (!wide)
            return static_cast<unsigned char>(bytes[i]);
        const unsigned a = static_cast<unsigned char>(bytes[i]);
        const unsigned b = static_cast<unsigned char>(bytes[i + 1]);
        return doc.encoding_ == Encoding::Utf16Le ? (a | (b << 8)) : ((a << 8) | b);
    };

    // An odd byte at the end of a UTF-16 file belongs to no line; it is kept after the last one so
    // that lines added later stay aligned.
    if (wide && bytes.size() % 2 != 0) {
        doc.trailer_.assign(bytes.substr(bytes.size() - 1));
        bytes.remove_suffix(1);
    }

    std::size_t start = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned u = unitAt(i);
        if (u != '\r' && u != '\n') {
            i += unit;
            continue;
        }
        std::size_t eolBytes = unit;
        if (u == '\r' && i + unit < bytes.size() && unitAt(i + unit) == '\n')
            eolBytes = 2 * unit;
        doc.appendRawLine(std::string(bytes.substr(start, i - start)), std::string(bytes.substr(i, eolBytes)));
        i += eolBytes;
        start = i;
    }
    if (start < bytes.size())
        doc.appendRawLine(std::string(bytes.substr(start)), std::string());
    doc.reindex();
    return doc;
}

std::string PrivateProfileDocument::serialize() const
{
    std::string out = bom_;
    for (const Line& line : lines_) {
        out += line.raw;
        out += line.eol;
    }
    out += trailer_;
    return out;
}

void PrivateProfileDocument::appendRawLine(std::string raw, std::string eol)
{
    Line line;
    line.raw = std::move(raw);
    line.eol = std::move(eol);
    classify(line);
    lines_.push_back(std::move(line));
}

void PrivateProfileDocument::classify(Line& line) const
{
    const std::wstring text = decode(line.raw);
    const std::wstring_view t = trim(text);
    line.name.clear();
    line.value.clear();
    line.hasEquals = false;
    if (t.empty()) {
        line.kind = Kind::Blank;
    } else if (t.front() == L';') {
        line.kind = Kind::Comment;
    } else if (t.front() == L'[' && t.rfind(L']') != npos) {
        // "[ name ]": the name runs to the last "]" and is trimmed; a "[" without "]" is a key.
        line.kind = Kind::Section;
        line.name = trim(t.substr(1, t.rfind(L']') - 1));
    } else {
        line.kind = Kind::Entry;
        const std::size_t eq = t.find(L'=');
        if (eq == npos) {
            line.name = t;
        } else {
            line.name = trim(t.substr(0, eq));
            line.value = trim(t.substr(eq + 1));
            line.hasEquals = true;
        }
    }
}

void PrivateProfileDocument::reindex()
{
    sections_.clear();
    firstSection_.clear();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind != Kind::Section)
            continue;
        if (!sections_.empty())
            sections_.back().end = i;
        firstSection_.emplace(folded(lines_[i].name), sections_.size());
        sections_.push_back(Section{lines_[i].name, i, lines_.size()});
    }
}

std::wstring PrivateProfileDocument::decode(const std::string& raw) const
{
    if (encoding_ == Encoding::Utf8 || encoding_ == Encoding::Utf8Bom)
        return utf8ToWide(raw);
    std::wstring out;
    out.reserve(raw.size() / 2 + 1);
    const bool le = encoding_ == Encoding::Utf16Le;
    auto unitAt = [&](std::size_t i) {
        const unsigned a = static_cast<unsigned char>(raw[i]);
        const unsigned b = static_cast<unsigned char>(raw[i + 1]);
        return le ? (a | (b << 8)) : ((a << 8) | b);
    };
    std::size_t i = 0;
    for (; i + 1 < raw.size(); i += 2) {
        const unsigned u = unitAt(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < raw.size()) {
            const unsigned low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00)));
                i += 2;
                continue;
            }
        }
        out.push_back((u >= 0xD800 && u <= 0xDFFF) ? L'\uFFFD' : static_cast<wchar_t>(u));
    }
    return out;
}

std::string PrivateProfileDocument::encode(std::wstring_view text) const
{
    if (encoding_ == Encoding::Utf8 || encoding_ == Encoding::Utf8Bom)
        return wideToUtf8(text);
    const bool le = encoding_ == Encoding::Utf16Le;
    std::string out;
    auto put = [&](unsigned u) {
        const char lo = static_cast<char>(u & 0xFF);
        const char hi = static_cast<char>((u >> 8) & 0xFF);
        out.push_back(le ? lo : hi);
        out.push_back(le ? hi : lo);
    };
    for (wchar_t w : text) {
        unsigned cp = static_cast<unsigned>(w);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            cp = 0xFFFD;
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
    }
    return out;
}

// New lines end like the file's first line; in a file without line ends, with CR LF.
std::string PrivateProfileDocument::newLineEnd() const
{
    for (const Line& line : lines_) {
        if (!line.eol.empty())
            return line.eol;
    }
    return encode(L"\r\n");
}

const PrivateProfileDocument::Section* PrivateProfileDocument::findSection(std::wstring_view name) const
{
    const auto it = firstSection_.find(folded(trim(name)));
    return it == firstSection_.end() ? nullptr : &sections_[it->second];
}

std::size_t PrivateProfileDocument::findEntry(const Section& section, std::wstring_view key) const
{
    key = trim(key);
    for (std::size_t i = section.header + 1; i < section.end; ++i) {
        if (lines_[i].kind == Kind::Entry && sameName(lines_[i].name, key))
            return i;
    }
    return npos;
}

std::vector<std::wstring> PrivateProfileDocument::sectionNames() const
{
    std::vector<std::wstring> names;
    for (const Section& s : sections_)
        names.push_back(s.name);
    return names;
}

std::vector<std::wstring> PrivateProfileDocument::keyNames(const Section& section) const
{
    std::vector<std::wstring> names;
    for (std::size_t i = section.header + 1; i < section.end; ++i) {
        if (lines_[i].kind == Kind::Entry && lines_[i].hasEquals)
            names.push_back(lines_[i].name);
    }
    return names;
}

std::uint32_t PrivateProfileDocument::getString(const wchar_t* section, const wchar_t* key,
                                                const wchar_t* defaultValue, wchar_t* buffer,
                                                std::uint32_t size) const
{
    if (buffer == nullptr || size == 0)
        return 0;
    if (section == nullptr)
        return copyList(sectionNames(), buffer, size);
    const Section* s = findSection(section);
    if (key == nullptr)
        return copyList(s ? keyNames(*s) : std::vector<std::wstring>{}, buffer, size);
    if (s) {
        const std::size_t i = findEntry(*s, key);
        if (i != npos && lines_[i].hasEquals)
            return copyString(unquote(lines_[i].value), buffer, size);
    }
    std::wstring_view def = defaultValue ? std::wstring_view(defaultValue) : std::wstring_view();
    while (!def.empty() && def.back() == L' ')
        def.remove_suffix(1);
    return copyString(def, buffer, size);
}

std::uint32_t PrivateProfileDocument::getInt(const wchar_t* section, const wchar_t* key,
                                             std::int32_t defaultValue) const
{
    wchar_t text[kIntTextChars];
    const std::uint32_t n = getString(section, key, L"", text, kIntTextChars);
    if (n == 0)
        return static_cast<std::uint32_t>(defaultValue);
    return parseProfileInt(std::wstring_view(text, n));
}

std::uint32_t PrivateProfileDocument::getSection(const wchar_t* section, wchar_t* buffer,
                                                 std::uint32_t size) const
{
    if (section == nullptr || buffer == nullptr || size == 0)
        return 0;
    std::vector<std::wstring> items;
    if (const Section* s = findSection(section)) {
        for (std::size_t i = s->header + 1; i < s->end; ++i) {
            const Line& line = lines_[i];
            if (line.kind != Kind::Entry)
                continue;
            items.push_back(line.hasEquals ? line.name + L"=" + line.value : line.name);
        }
    }
    return copyList(items, buffer, size);
}

std::uint32_t PrivateProfileDocument::getSectionNames(wchar_t* buffer, std::uint32_t size) const
{
    if (buffer == nullptr || size == 0)
        return 0;
    return copyList(sectionNames(), buffer, size);
}

std::wstring PrivateProfileDocument::readString(const std::wstring& section, const std::wstring& key,
                                                const std::wstring& defaultValue,
                                                std::uint32_t bufferChars) const
{
    if (bufferChars == 0)
        return {};
    std::vector<wchar_t> buffer(bufferChars);
    const std::uint32_t n = getString(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(), bufferChars);
    return std::wstring(buffer.data(), n);
}

bool PrivateProfileDocument::hasValue(const std::wstring& section, const std::wstring& key) const
{
    const Section* s = findSection(section);
    if (!s)
        return false;
    const std::size_t i = findEntry(*s, key);
    return i != npos && lines_[i].hasEquals;
}

bool PrivateProfileDocument::setValue(const std::wstring& section, const std::wstring& key,
                                      const std::wstring& value)
{
    const std::wstring sectionName(trim(section));
    const std::wstring keyName(trim(key));
    std::wstring_view v = value;
    while (!v.empty() && isBlank(v.front()))
        v.remove_prefix(1);
    const std::string eol = newLineEnd();

    const Section* s = findSection(sectionName);
    if (!s) {
        if (!lines_.empty() && lines_.back().eol.empty())
            lines_.back().eol = eol;
        appendRawLine(encode(L"[" + sectionName + L"]"), eol);
        appendRawLine(encode(keyName + L"=" + std::wstring(v)), eol);
        reindex();
        return true;
    }

    const std::size_t i = findEntry(*s, keyName);
    if (i != npos) {
        Line& line = lines_[i];
        if (line.hasEquals && line.value == v)
            return false; // the same value: the file is not rewritten
        line.raw = encode(line.name + L"=" + std::wstring(v));
        classify(line);
        return true;
    }

    std::size_t after = s->header;
    for (std::size_t j = s->header + 1; j < s->end; ++j) {
        if (lines_[j].kind == Kind::Entry)
            after = j;
    }
    if (lines_[after].eol.empty())
        lines_[after].eol = eol;
    Line line;
    line.raw = encode(keyName + L"=" + std::wstring(v));
    line.eol = eol;
    classify(line);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after + 1), std::move(line));
    reindex();
    return true;
}

bool PrivateProfileDocument::removeKey(const std::wstring& section, const std::wstring& key)
{
    const Section* s = findSection(section);
    if (!s)
        return false;
    const std::size_t i = findEntry(*s, key);
    if (i == npos)
        return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
    reindex();
    return true;
}

bool PrivateProfileDocument::removeSection(const std::wstring& section)
{
    const Section* s = findSection(section);
    if (!s)
        return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(s->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(s->end));
    reindex();
    return true;
}

} // namespace tarvik
