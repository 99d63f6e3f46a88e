#pragma once

#include "GpsPositionRecord.h"
#include "NmeaChunkDecoder.h"
#include "NmeaDecoderSink.h"
#include "_thread_com.h"

#include <mutex>

// The GPS receiver's port: a threaded port whose handler reads chunks of at most 299 bytes once
// more than 300 are queued and decodes them. The decoder keeps its working record on the reader
// thread and hands every decoded sentence's record over whole, under a lock, so that a reader of
// position() never sees fields of two sentences.
class _com_gps_ex : public _thread_com {
public:
    static constexpr unsigned kNotifyThreshold = 300;
    static constexpr int kReadBufferSize = 300;

    _com_gps_ex();
    ~_com_gps_ex() override;

    void on_receive() override;
    // The receiver is gone (adapter pulled, peer closed): its last fix no longer says where the
    // vehicle is, so the fix is dropped; the coordinates stay, as after a sentence without a fix.
    void on_line_lost() override;

    // A copy of the last decoded sentence's record.
    GpsPositionRecord position() const;

private:
    class Output : public NmeaDecoderSink {
    public:
        explicit Output(_com_gps_ex& port) : m_port(port) {}
        void trace(std::string_view text) override;
        void publish(const GpsPositionRecord& record) override;

    private:
        _com_gps_ex& m_port;
    };

    mutable std::mutex m_positionLock;
    GpsPositionRecord m_position;
    Output m_output;
    NmeaChunkDecoder m_decoder;
};
