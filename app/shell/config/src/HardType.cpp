#include "HardType.h"

#include <array>

namespace {

constexpr std::array<const wchar_t*, 5> kNames = {L"GX58", L"RQ63_L", L"RQ63_H", L"RQ81", L"RQ72"};

} // namespace

const wchar_t* HardTypeName(HardType type)
{
    const auto index = static_cast<std::size_t>(type);
    return index < kNames.size() ? kNames[index] : kNames[HARD_TYPE_GX58];
}

HardType HardTypeFromName(std::wstring_view name)
{
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (name == kNames[i])
            return static_cast<HardType>(i);
    }
    return HARD_TYPE_GX58;
}

HardType HardTypeOfModel(int modelType, int powerBoard)
{
    switch (modelType) {
    case kModelTypeRQ63:
        return powerBoard != 0 ? HARD_TYPE_RQ63_H : HARD_TYPE_RQ63_L;
    case kModelTypeRQ81:
        return HARD_TYPE_RQ81;
    case kModelTypeRQ72:
        return HARD_TYPE_RQ72;
    default:
        return HARD_TYPE_GX58;
    }
}
