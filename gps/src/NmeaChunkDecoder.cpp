#include "NmeaChunkDecoder.h"

#include "NmeaDecoderSink.h"
#include "NmeaNumbers.h"

#include <regex>

namespace {

// Four digits of degrees and minutes, any one character (a point, normally), at least four
// decimals; longitudes have one more degree digit. The '.' is unescaped on purpose, as it has
// always been: "2503x1234" passes, "2503.12" (two decimals) does not.
const std::regex& latitudePattern()
{
    static const std::regex pattern("^[0-9]{4}.[0-9]{4,}$", std::regex::ECMAScript);
    return pattern;
}

const std::regex& longitudePattern()
{
    static const std::regex pattern("^[0-9]{5}.[0-9]{4,}$", std::regex::ECMAScript);
    return pattern;
}

bool isFixQuality(std::string_view quality)
{
    return quality == "1" || quality == "2" || quality == "3";
}

// Degrees from the first digits, then whole minutes and seconds from the rest ("03.1234": 3
// minutes and 7.404 seconds).
void decodeCoordinate(std::string_view field, std::size_t degreeDigits, int& degrees, int& minutes, double& seconds)
{
    degrees = nmeanumbers::leadingInt(field.substr(0, degreeDigits));
    const double m = nmeanumbers::leadingDouble(field.substr(degreeDigits));
    minutes = nmeanumbers::truncateToInt(m);
    seconds = (m - minutes) * 60.0;
}

char16_t hemisphere(std::string_view field)
{
    return field.empty() ? char16_t{0} : static_cast<char16_t>(static_cast<unsigned char>(field[0]));
}

} // namespace

const NmeaChunkDecoder::SentenceKind NmeaChunkDecoder::kSentences[] = {
    {"$GNGGA", 14, &NmeaChunkDecoder::decodeGga},
    {"$GPGGA", 14, &NmeaChunkDecoder::decodeGga},
};

NmeaChunkDecoder::NmeaChunkDecoder(NmeaDecoderSink& sink)
    : m_sink(sink)
{
}

void NmeaChunkDecoder::receive(std::string_view chunk)
{
    m_buffer.append(chunk);
    const std::size_t lastStart = m_buffer.rfind('$');
    m_buffer.resize(lastStart == std::string::npos ? 0 : lastStart);

    std::size_t start = 0;
    while (start < m_buffer.size()) {
        const std::size_t next = m_buffer.find('$', start + 1);
        const std::size_t end = next == std::string::npos ? m_buffer.size() : next;
        decodePiece(std::string_view(m_buffer).substr(start, end - start));
        start = end;
    }
    m_buffer.clear();
}

void NmeaChunkDecoder::decodePiece(std::string_view piece)
{
    for (const SentenceKind& kind : kSentences) {
        if (piece.substr(0, kind.tag.size()) != kind.tag)
            continue;
        m_sink.trace(std::string(piece) + "\n");
        Fields fields;
        std::size_t from = 0;
        for (;;) {
            const std::size_t comma = piece.find(',', from);
            fields.push_back(piece.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from));
            if (comma == std::string_view::npos)
                break;
            from = comma + 1;
        }
        if (fields.size() >= kind.minFields)
            (this->*kind.decode)(fields);
        return;
    }
}

void NmeaChunkDecoder::decodeGga(const Fields& f)
{
    GpsPositionRecord& r = m_record;
    if (!isFixQuality(f[6])) {
        r.fix = false;
        m_sink.trace("no\n");
        m_sink.publish(r);
        return;
    }
    r.fix = true;
    m_sink.trace("yes\n");

    // A field that does not match keeps the previous value of its coordinate.
    const std::string latitude(f[2]);
    if (std::regex_match(latitude, latitudePattern()))
        decodeCoordinate(f[2], 2, r.latitudeDegrees, r.latitudeMinutes, r.latitudeSeconds);
    const std::string longitude(f[4]);
    if (std::regex_match(longitude, longitudePattern()))
        decodeCoordinate(f[4], 3, r.longitudeDegrees, r.longitudeMinutes, r.longitudeSeconds);

    m_sink.trace("satellite : " + std::string(f[7]) + "\n");
    r.satellites = nmeanumbers::leadingInt(f[7]);
    r.altitude = nmeanumbers::leadingDouble(f[9]);
    r.latitudeHemisphere = hemisphere(f[3]);
    r.longitudeHemisphere = hemisphere(f[5]);

    std::string line = "[" + nmeanumbers::fixed6(r.latitudeDecimal()) + "][" + nmeanumbers::fixed6(r.longitudeDecimal()) + "]";
    line += "[";
    line += static_cast<char>(r.latitudeHemisphere & 0xFF);
    line += "][";
    line += static_cast<char>(r.longitudeHemisphere & 0xFF);
    line += "]\n";
    m_sink.trace(line);
    m_sink.publish(r);
}
