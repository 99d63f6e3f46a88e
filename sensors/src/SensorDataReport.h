#pragma once

#include "ComObject.h"
#include "SensorApi.h"
#include "SensorService.h"

#include <utility>
#include <vector>

namespace miravel {

// One report as the sensor service delivered it: accelerations as doubles (VT_R8), the
// temperature as a float (VT_R4), as the Windows sensor drivers give them.
class SensorDataReport final : public ComObject<ISensorDataReport, IID_ISensorDataReport> {
public:
    explicit SensorDataReport(const tarvik::SensorReport& report);

    HRESULT GetSensorValue(REFPROPERTYKEY key, PROPVARIANT* value) override;

private:
    std::vector<std::pair<PROPERTYKEY, PROPVARIANT>> values_;
};

} // namespace miravel
