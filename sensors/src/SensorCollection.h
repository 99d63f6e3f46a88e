#pragma once

#include "ComObject.h"
#include "SensorApi.h"

#include <vector>

namespace miravel {

// The sensors a search found, each held with one reference.
class SensorCollection final : public ComObject<ISensorCollection, IID_ISensorCollection> {
public:
    SensorCollection() = default;
    // Takes over the caller's reference.
    void adopt(ISensor* sensor) { sensors_.push_back(sensor); }

    HRESULT GetAt(ULONG index, ISensor** sensor) override;
    HRESULT GetCount(ULONG* count) override;

private:
    ~SensorCollection() override;
    std::vector<ISensor*> sensors_;
};

} // namespace miravel
