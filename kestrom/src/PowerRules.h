#pragma once

#include "PowerController.h"

#include <cstdint>
#include <optional>

// What the power controller accepts. Pure: no I/O, so tests link it on its own.
namespace tarvik::kestrom::rules {

// The value to store when a setter is given `requested`: switches become 0/1, anything out of range
// is nullopt. Values the library only reads are always nullopt.
std::optional<std::int32_t> checkValue(PowerValue value, std::int64_t requested);

// What checkValue accepts for this value, for the diagnostic line of a refusal.
const char* allowedValues(PowerValue value);

struct VoltRange {
    float low;
    float high;
};
// The thresholds a nominal input accepts: from the lowest to the highest value its voltage dialog
// offers, steps in between included (the dialog writes back a value it read between its steps).
VoltRange thresholdRange(Nominal nominal, Threshold threshold);
bool acceptsThreshold(Nominal nominal, Threshold threshold, float volts);

// Exactly eight characters 0-9 or A-F and the terminator. Reads no further than the terminator or
// the ninth character.
bool isValidSmsCode(const char* code);

bool isValidWakeTime(WakeTime time);

} // namespace tarvik::kestrom::rules
