// libFuzzer target for the board's profile.ini, which a person may edit: the first four bytes
// choose a change (set, add or remove, and the lengths of its section, name and value, spelt from
// the next bytes), the rest is the file. Contract: no crash or undefined behaviour; a file that
// reads is written back in a form that reads again the same; after the change, the file written
// reads again and says what the change made it say.
#include "BoardProfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using tarvik::board::BoardProfile;

namespace {

// Names and values a caller of the board tool can give: no line ends, no '=' in a name, nothing
// that reads as a comment or a header, nothing to trim at the edges.
std::string spell(const std::uint8_t*& at, const std::uint8_t* end, std::size_t length)
{
    static constexpr char kLetters[] = "abcXYZ019_.-()";
    std::string out;
    for (; length > 0 && at < end; --length, ++at)
        out += kLetters[*at % (sizeof kLetters - 1)];
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const std::uint8_t* at = data + 4;
    const std::uint8_t* end = data + size;
    const std::string section = spell(at, end, data[1] % 8);
    const std::string name = spell(at, end, 1 + data[2] % 8);
    const std::string value = spell(at, end, data[3] % 16);
    const std::string text(reinterpret_cast<const char*>(at), static_cast<std::size_t>(end - at));

    auto profile = BoardProfile::parse(text, "profile.ini");
    if (!profile)
        return 0;
    const std::string written = profile->text();
    auto again = BoardProfile::parse(written, "profile.ini");
    if (!again || again->text() != written)
        std::abort();

    const auto before = profile->getAll(section, name);
    switch (data[0] % 3) {
    case 0:
        profile->set(section, name, value);
        break;
    case 1:
        profile->add(section, name, value);
        break;
    default:
        if (profile->remove(section, name) != static_cast<int>(before.size()))
            std::abort();
        break;
    }
    auto changed = BoardProfile::parse(profile->text(), "profile.ini");
    if (!changed)
        std::abort();
    const auto after = changed->getAll(section, name);
    switch (data[0] % 3) {
    case 0:
        if (after.empty() || after.front() != value || after.size() != (before.empty() ? 1 : before.size()))
            std::abort();
        break;
    case 1:
        if (after.size() != before.size() + 1 || after.back() != value)
            std::abort();
        break;
    default:
        if (!after.empty())
            std::abort();
        break;
    }
    return 0;
}
