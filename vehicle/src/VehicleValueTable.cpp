#include "VehicleValueTable.h"

namespace tarvik::vehicle {

namespace {
constexpr bool tableInOrder()
{
    for (std::size_t i = 0; i < kValueTable.size(); ++i) {
        if (static_cast<std::size_t>(kValueTable[i].value) != i)
            return false;
    }
    return true;
}
static_assert(tableInOrder(), "valueRequest() indexes the table by value");
} // namespace

// The precisions are part of the results callers see: single precision first for the texts and the
// idle time (a raw 0x7FFFFFFF becomes 2^31 before scaling), double precision for the longs.
int truncatedText(long raw, double factor)
{
    return static_cast<int>(static_cast<double>(static_cast<float>(raw)) * factor);
}

long truncatedLong(long raw, double factor) { return static_cast<long>(static_cast<double>(raw) * factor); }

float hours(long raw, double factor)
{
    return static_cast<float>(static_cast<double>(static_cast<float>(raw)) * factor);
}

} // namespace tarvik::vehicle
