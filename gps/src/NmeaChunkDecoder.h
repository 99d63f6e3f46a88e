#pragma once

#include "GpsPositionRecord.h"

#include <string>
#include <string_view>
#include <vector>

class NmeaDecoderSink;

// The receive handler's decoding of one chunk as read from the port (at most 299 bytes).
//
// Sentences are framed by '$' alone: the text after the chunk's last '$' (a sentence not yet
// complete) is dropped, the rest is cut into pieces at every '$', and a piece that starts with a
// tag of the sentence table is decoded. CR and LF are no delimiters (they stay in the last field)
// and the checksum is not checked. So a GGA sentence counts only when it lies wholly inside one
// chunk with another '$' after it; one cut at a chunk boundary is lost. Nothing survives from one
// chunk to the next except the record.
//
// GGA, fields numbered from the tag (0):
//   $GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76
//          1 time     2 lat     3 4 lon      5 6 7 8    9    10 11  12 13 14
// 6 fix quality ("1", "2" or "3": a fix), 7 satellites in use, 9 altitude above mean sea level.
class NmeaChunkDecoder {
public:
    explicit NmeaChunkDecoder(NmeaDecoderSink& sink);

    void receive(std::string_view chunk);

    // The decoder's own copy of the record (on the thread that calls receive).
    const GpsPositionRecord& record() const { return m_record; }
    // Bytes kept between calls: always 0, the buffer is emptied at the end of every chunk.
    std::size_t pendingBytes() const { return m_buffer.size(); }

private:
    using Fields = std::vector<std::string_view>;
    struct SentenceKind {
        std::string_view tag;
        std::size_t minFields;
        void (NmeaChunkDecoder::*decode)(const Fields& fields);
    };
    static const SentenceKind kSentences[];

    void decodePiece(std::string_view piece);
    void decodeGga(const Fields& fields);

    NmeaDecoderSink& m_sink;
    GpsPositionRecord m_record;
    std::string m_buffer;
};
