#include "SensorBoard.h"

#include "Board.h"

#include <charconv>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarvik::board {

namespace {

// Steps of the drift per report, per axis: irrational-looking ratios so that the three axes never
// move in step.
constexpr double kDriftStep[3] = {0.9, 1.3, 1.7};

double number(const BoardProfile& profile, const char* name, double fallback)
{
    const auto text = profile.get(SensorBoard::kSection, name);
    if (!text)
        return fallback;
    double value = 0;
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value) ? value : fallback;
}

} // namespace

Result<std::unique_ptr<SensorBoard>> SensorBoard::open(const std::string& dir)
{
    using R = Result<std::unique_ptr<SensorBoard>>;
    auto state = MappedState<SensorBoardState>::openOrCreate(dir, [](SensorBoardState&) {});
    if (!state)
        return R::failure(state.error());
    return std::unique_ptr<SensorBoard>(new SensorBoard(std::move(*state)));
}

SensorBoard::Accelerometer SensorBoard::accelerometer(const BoardProfile& profile)
{
    return {number(profile, "AccelX", kDefaultAccel[0]), number(profile, "AccelY", kDefaultAccel[1]),
            number(profile, "AccelZ", kDefaultAccel[2]), number(profile, "AccelDrift", kDefaultDriftG)};
}

int SensorBoard::cpuTemperature(const BoardProfile& profile)
{
    return static_cast<int>(std::lround(number(profile, "CpuTemperature", kDefaultCpuTemperature)));
}

std::array<double, 3> SensorBoard::drift(double driftG, std::uint32_t report)
{
    std::array<double, 3> d{};
    for (std::size_t axis = 0; axis < d.size(); ++axis)
        d[axis] = driftG * std::sin(kDriftStep[axis] * static_cast<double>(report));
    return d;
}

std::array<double, 3> SensorBoard::takeAccelReport(const Accelerometer& accel)
{
    const std::uint32_t report = state_->locked([](SensorBoardState& s) { return ++s.reportsTaken; });
    const auto d = drift(accel.driftG, report);
    return {accel.x + d[0], accel.y + d[1], accel.z + d[2]};
}

std::uint32_t SensorBoard::reportIntervalMs()
{
    const std::uint32_t ms = state_->locked([](SensorBoardState& s) { return s.reportIntervalMs; });
    return ms == 0 ? kDefaultReportIntervalMs : ms;
}

bool SensorBoard::setReportIntervalMs(std::uint32_t ms)
{
    if (ms != 0 && (ms < kMinReportIntervalMs || ms > kMaxReportIntervalMs))
        return false;
    state_->locked([ms](SensorBoardState& s) { s.reportIntervalMs = ms; });
    return true;
}

std::uint32_t SensorBoard::reportsTaken()
{
    return state_->locked([](SensorBoardState& s) { return s.reportsTaken; });
}

} // namespace tarvik::board
