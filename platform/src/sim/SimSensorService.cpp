#include "SimSensorService.h"

#include "Board.h"
#include "EcSimulator.h"
#include "SensorBoard.h"

#include <cstdio>

namespace tarvik {

namespace {

constexpr const char* kAccel3d = "board/accel";
constexpr const char* kAccel2d = "board/accel2d";
constexpr const char* kThermometer = "board/temperature";
constexpr int kEcTemperatureBias = 40; // EC RAM 0x70 holds degrees Celsius + 40

} // namespace

struct SimSensorService::Faults {
    bool missing = false;
    bool twoD = false;
    bool denied = false;
    bool noZ = false;
};

SimSensorService::SimSensorService(std::string boardDir) : boardDir_(std::move(boardDir)) {}

SimSensorService::~SimSensorService() = default;

bool SimSensorService::ensureBoard()
{
    std::lock_guard lock(mutex_);
    if (board_ && sensors_)
        return true;
    std::string problem;
    auto opened = board::Board::open(boardDir_);
    if (opened) {
        auto sensors = board::SensorBoard::open(boardDir_);
        if (sensors) {
            board_ = std::move(*opened);
            sensors_ = std::move(*sensors);
            return true;
        }
        problem = sensors.error();
    } else {
        problem = opened.error();
    }
    if (!reportedFailure_)
        std::fprintf(stderr, "sensor service: virtual board unusable: %s\n", problem.c_str());
    reportedFailure_ = true;
    return false;
}

SimSensorService::Faults SimSensorService::faults()
{
    return board_->memory().locked([](board::BoardState& s) {
        Faults f;
        f.missing = board::findFault(s, "gsensor-missing") != nullptr;
        f.twoD = board::findFault(s, "gsensor-2d") != nullptr;
        f.denied = board::findFault(s, "gsensor-access-denied") != nullptr;
        f.noZ = board::findFault(s, "gsensor-no-z") != nullptr;
        return f;
    });
}

bool SimSensorService::present(const std::string& id, const Faults& f) const
{
    if (id == kThermometer)
        return true;
    if (f.missing)
        return false;
    return id == (f.twoD ? kAccel2d : kAccel3d);
}

SensorError SimSensorService::connect() { return ensureBoard() ? SensorError::None : SensorError::ReadFailed; }

SensorError SimSensorService::sensors(SensorCategory category, std::vector<SensorInfo>& out)
{
    out.clear();
    if (!ensureBoard())
        return SensorError::ReadFailed;
    const Faults f = faults();
    if (category == SensorCategory::Environmental) {
        out.push_back({kThermometer, category, SensorKind::Temperature, "Board thermometer"});
    } else if (!f.missing) {
        if (f.twoD)
            out.push_back({kAccel2d, category, SensorKind::Accelerometer2D, "2-D accelerometer"});
        else
            out.push_back({kAccel3d, category, SensorKind::Accelerometer3D, "3-D accelerometer"});
    }
    return SensorError::None;
}

SensorError SimSensorService::state(const std::string& id, SensorState& out)
{
    if (!ensureBoard())
        return SensorError::ReadFailed;
    const Faults f = faults();
    if (!present(id, f))
        return SensorError::Gone;
    out = f.denied && id != kThermometer ? SensorState::AccessDenied : SensorState::Ready;
    return SensorError::None;
}

SensorError SimSensorService::requestPermission(const std::string& id, bool modal)
{
    SensorState s{};
    if (SensorError e = state(id, s); e != SensorError::None)
        return e;
    // The person at the board says no to every modal question while access is denied.
    return modal && s == SensorState::AccessDenied ? SensorError::AccessDenied : SensorError::None;
}

SensorError SimSensorService::read(const std::string& id, SensorReport& out)
{
    out.values.clear();
    SensorState s{};
    if (SensorError e = state(id, s); e != SensorError::None)
        return e;
    if (s == SensorState::AccessDenied)
        return SensorError::AccessDenied;
    if (id == kThermometer) {
        const int ec = board_->memory().locked([](board::BoardState& st) { return int{st.ec[board::ec::EC_TEMPERATURE]}; });
        out.values.emplace_back(SensorField::TemperatureCelsius, ec - kEcTemperatureBias);
        return SensorError::None;
    }
    auto profile = board_->profile();
    if (!profile)
        return SensorError::ReadFailed;
    const auto xyz = sensors_->takeAccelReport(board::SensorBoard::accelerometer(*profile));
    const Faults f = faults();
    out.values.emplace_back(SensorField::AccelerationX, xyz[0]);
    out.values.emplace_back(SensorField::AccelerationY, xyz[1]);
    if (id == kAccel3d && !f.noZ)
        out.values.emplace_back(SensorField::AccelerationZ, xyz[2]);
    return SensorError::None;
}

SensorPropertyResult SimSensorService::setReportInterval(const std::string& id, std::uint32_t milliseconds)
{
    SensorState s{};
    if (SensorError e = state(id, s); e != SensorError::None)
        return {e, SensorError::None};
    if (s == SensorState::AccessDenied)
        return {SensorError::None, SensorError::AccessDenied};
    if (!sensors_->setReportIntervalMs(milliseconds))
        return {SensorError::None, SensorError::InvalidValue};
    return {};
}

} // namespace tarvik
