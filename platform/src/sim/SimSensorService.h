#pragma once

#include "SensorService.h"

#include <memory>
#include <mutex>
#include <string>

namespace tarvik {
namespace board {
class Board;
class SensorBoard;
} // namespace board

// The sensor service of the virtual board. Motion: one 3-D accelerometer "board/accel" whose
// values come from the profile (SensorBoard) with a slight drift on every report, or with the
// fault gsensor-2d a 2-D one "board/accel2d" instead, or none with gsensor-missing;
// gsensor-access-denied denies access and refuses modal permission requests; gsensor-no-z leaves Z
// out of the reports. Environmental: the board thermometer "board/temperature", which reads what
// the EC reads (EC RAM 0x70 - 40). Faults are read at every call, so a sensor disappears between
// two calls when a fault is set in between.
class SimSensorService final : public SensorService {
public:
    explicit SimSensorService(std::string boardDir);
    ~SimSensorService() override;

    SensorError connect() override;
    SensorError sensors(SensorCategory category, std::vector<SensorInfo>& out) override;
    SensorError state(const std::string& id, SensorState& out) override;
    SensorError requestPermission(const std::string& id, bool modal) override;
    SensorError read(const std::string& id, SensorReport& out) override;
    SensorPropertyResult setReportInterval(const std::string& id, std::uint32_t milliseconds) override;

private:
    struct Faults;
    bool ensureBoard();
    Faults faults();
    bool present(const std::string& id, const Faults& f) const;

    std::string boardDir_;
    std::mutex mutex_;
    std::unique_ptr<board::Board> board_;
    std::unique_ptr<board::SensorBoard> sensors_;
    bool reportedFailure_ = false;
};

} // namespace tarvik
