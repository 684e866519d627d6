#pragma once

#include <cstdint>
#include <string_view>

// The decimal conversion the program uses for every number it reads from a
// text: leading white space skipped, an optional sign, then digits up to the
// first other character; no digits gives 0. Values beyond the 32-bit range
// saturate instead of wrapping.
int32_t DecimalToInt(std::string_view text);

// Whether the whole text (after leading blanks) is a decimal integer.
bool IsDecimalInteger(std::string_view text);
