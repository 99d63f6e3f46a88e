#include "_com_gps_ex.h"

#include <cstdio>

_com_gps_ex::_com_gps_ex()
    : m_output(*this)
    , m_decoder(m_output)
{
    m_dwNotifyNum = kNotifyThreshold;
}

_com_gps_ex::~_com_gps_ex()
{
    // The reader thread uses the decoder and the lock below: it must end before they go.
    close();
}

void _com_gps_ex::on_receive()
{
    char chunk[kReadBufferSize];
    const int count = read(chunk, sizeof chunk);
    if (count <= 0)
        return;
    m_decoder.receive(std::string_view(chunk, static_cast<std::size_t>(count)));
}

void _com_gps_ex::on_line_lost()
{
    std::lock_guard lock(m_positionLock);
    m_position.fix = false;
}

GpsPositionRecord _com_gps_ex::position() const
{
    std::lock_guard lock(m_positionLock);
    return m_position;
}

void _com_gps_ex::Output::trace(std::string_view text)
{
    // Written as bytes: a sentence from the line may hold anything, NUL included.
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void _com_gps_ex::Output::publish(const GpsPositionRecord& record)
{
    std::lock_guard lock(m_port.m_positionLock);
    m_port.m_position = record;
}
