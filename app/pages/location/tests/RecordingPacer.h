#pragma once

// A pacer for the page workers' tests: records every pause and waits only milliseconds.

#include "PageWorker.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace loctest {

// Records every pause of the page workers and waits `wait` milliseconds for each.
class RecordingPacer final : public CPageWorker::Pacer {
public:
    explicit RecordingPacer(unsigned wait) : m_wait(wait) { CPageWorker::OverridePacer(this); }
    ~RecordingPacer() override { CPageWorker::OverridePacer(nullptr); }
    unsigned PauseMs(unsigned requestedMs) override
    {
        std::lock_guard lock(m_mutex);
        m_pauses.push_back(requestedMs);
        return m_wait;
    }
    std::vector<unsigned> pauses()
    {
        std::lock_guard lock(m_mutex);
        return m_pauses;
    }
    int count(unsigned requestedMs)
    {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count(m_pauses.begin(), m_pauses.end(), requestedMs));
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_pauses.clear();
    }

private:
    const unsigned m_wait;
    std::mutex m_mutex;
    std::vector<unsigned> m_pauses;
};

} // namespace loctest
