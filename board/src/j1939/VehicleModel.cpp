#include "VehicleModel.h"

#include "Board.h"
#include "MappedState.h"
#include "VehicleDynamics.h"
#include "VehicleSettings.h"
#include "VehicleState.h"

#include <cerrno>
#include <cmath>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvik::board {

using j1939::Counters;
using j1939::VehicleDynamics;
using j1939::VehicleSettings;
using j1939::VehicleState;

namespace {

constexpr double kNsPerSecond = 1e9;
constexpr std::int64_t kNsPerSecondInt = 1000000000LL;

} // namespace

VehicleModel::VehicleModel(std::string boardDir, std::unique_ptr<MappedState<VehicleState>> state)
    : boardDir_(std::move(boardDir)), state_(std::move(state)), settings_(std::make_unique<VehicleSettings>())
{
}

VehicleModel::~VehicleModel() = default;

Result<std::unique_ptr<VehicleModel>> VehicleModel::open(const std::string& boardDir)
{
    using R = Result<std::unique_ptr<VehicleModel>>;
    auto state = MappedState<VehicleState>::openOrCreate(boardDir, [](VehicleState&) {});
    if (!state)
        return R::failure(state.error());
    return std::unique_ptr<VehicleModel>(new VehicleModel(boardDir, std::move(*state)));
}

void VehicleModel::resetIfPresent(const std::string& boardDir)
{
    const std::string path = boardDir + "/" + VehicleState::kFileName;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return;
    auto state = MappedState<VehicleState>::open(boardDir);
    if (!state) {
        unlink(path.c_str());
        return;
    }
    (*state)->locked([](VehicleState& s) { s.started = 0; });
}

std::int64_t VehicleModel::monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * kNsPerSecondInt + now.tv_nsec;
}

// The profile is read again only when the file changed: the interpreter asks for the vehicle
// fifty times a second.
Status VehicleModel::refreshSettings()
{
    const std::string path = boardDir_ + "/" + kProfileFile;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return Status::failure("board file " + path + " is missing");
    const ProfileStamp stamp{static_cast<std::int64_t>(st.st_mtim.tv_sec) * kNsPerSecondInt + st.st_mtim.tv_nsec,
                             static_cast<std::int64_t>(st.st_ino), static_cast<std::int64_t>(st.st_size)};
    if (stamp == profileStamp_)
        return ok();
    auto profile = BoardProfile::load(path);
    if (!profile)
        return Status::failure(profile.error());
    *settings_ = VehicleSettings::fromProfile(*profile);
    profileStamp_ = stamp;
    return ok();
}

int VehicleModel::broadcastDivisor() const { return settings_->broadcastDivisor; }

Result<VehicleValues> VehicleModel::now() { return at(monotonicNs()); }

Result<VehicleValues> VehicleModel::at(std::int64_t ns)
{
    if (Status s = refreshSettings(); !s)
        return Result<VehicleValues>::failure(s.error());
    const VehicleSettings& set = *settings_;
    const Counters counters = state_->locked([&](VehicleState& st) {
        auto rebase = [&](double& base, double& value, double profileValue) {
            if (!st.started || base != profileValue) {
                base = profileValue;
                value = profileValue;
            }
        };
        rebase(st.baseOdometerKm, st.odometerKm, set.odometerKm);
        rebase(st.baseTripDistanceKm, st.tripDistanceKm, set.tripDistanceKm);
        rebase(st.baseFuelUsedLitres, st.fuelUsedLitres, set.fuelUsedLitres);
        rebase(st.baseTripIdleHours, st.tripIdleHours, set.tripIdleHours);
        Counters c{st.odometerKm, st.tripDistanceKm, st.fuelUsedLitres, st.tripIdleHours};
        if (st.started && ns > st.lastUpdateNs)
            VehicleDynamics::advance(c, set, st.lastUpdateNs / kNsPerSecond, ns / kNsPerSecond);
        // A time a little behind the last look is another process that looked in between; one far
        // behind is a new boot with the board kept on disk, from which the counters go on.
        if (!st.started || ns > st.lastUpdateNs || ns < st.lastUpdateNs - kNsPerSecondInt)
            st.lastUpdateNs = ns;
        st.odometerKm = c.odometerKm;
        st.tripDistanceKm = c.tripDistanceKm;
        st.fuelUsedLitres = c.fuelUsedLitres;
        st.tripIdleHours = c.tripIdleHours;
        st.started = 1;
        return c;
    });
    const j1939::Motion motion = VehicleDynamics::motionAt(set, ns / kNsPerSecond);
    VehicleValues v{};
    v.engineSpeedRpm = motion.engineSpeedRpm;
    v.roadSpeedKmh = motion.roadSpeedKmh;
    v.tachographSpeedKmh = set.tachographSpeedKmh && !set.driveCycle ? *set.tachographSpeedKmh : motion.roadSpeedKmh;
    v.odometerKm = counters.odometerKm;
    v.tripDistanceKm = counters.tripDistanceKm;
    v.fuelUsedLitres = counters.fuelUsedLitres;
    v.batteryVolts = set.batteryVolts;
    v.tripIdleHours = counters.tripIdleHours;
    v.coolantCelsius = set.coolantCelsius;
    v.fuelCelsius = set.fuelCelsius;
    return v;
}

Result<int> vehicleBatteryMillivolts(const std::string& boardDir)
{
    auto model = VehicleModel::open(boardDir);
    if (!model)
        return Result<int>::failure(model.error());
    auto values = (*model)->now();
    if (!values)
        return Result<int>::failure(values.error());
    return static_cast<int>(std::lround(values->batteryVolts * 1000));
}

} // namespace tarvik::board
