#pragma once

#include <string>
#include <string_view>

// The number conversions of the GGA decoder, as the C library's atoi, atof and "%f" do them but
// independent of the process locale (a program may switch LC_NUMERIC to a decimal comma).
namespace nmeanumbers {

// Leading white space, an optional sign, then digits; stops at the first other character; 0 when
// there are no digits. Saturates at the int range instead of overflowing.
int leadingInt(std::string_view text);

// Leading white space, then the longest prefix that reads as a decimal floating-point number
// (sign, digits, point, exponent; also inf and nan); 0.0 when there is none.
double leadingDouble(std::string_view text);

// Truncation toward zero, as a double-to-int conversion does it on x86: a value outside the int
// range (or NaN) gives INT_MIN, the processor's "integer indefinite", instead of undefined
// behaviour. Only a coordinate field with an exponent ("2504e0002") gets there.
int truncateToInt(double value);

// "%f": six decimals, no locale.
std::string fixed6(double value);

} // namespace nmeanumbers
