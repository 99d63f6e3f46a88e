#pragma once

#include <cstdint>
#include <string_view>

// The hardware type of the control panel: decides page layouts, the programmable-key layout and
// several hardware paths. Start-up writes its name into PROJECT/HARD_TYPE; the pages map the name
// back.
enum HardType : std::int32_t {
    HARD_TYPE_GX58 = 0,
    HARD_TYPE_RQ63_L = 1,
    HARD_TYPE_RQ63_H = 2,
    HARD_TYPE_RQ81 = 3,
    HARD_TYPE_RQ72 = 4,
};

// The model types of the device information library that have a hardware type of their own.
inline constexpr int kModelTypeRQ63 = 4;
inline constexpr int kModelTypeRQ81 = 7;
inline constexpr int kModelTypeRQ72 = 8;

// "GX58", "RQ63_L", "RQ63_H", "RQ81", "RQ72".
const wchar_t* HardTypeName(HardType type);
// The index of a HARD_TYPE text; an unknown or missing text is a GX58.
HardType HardTypeFromName(std::wstring_view name);
// Model type 4 is an RQ63, high when the power board query reports non-zero; 7 an RQ81, 8 an RQ72;
// any other a GX58.
HardType HardTypeOfModel(int modelType, int powerBoard);
