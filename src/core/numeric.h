#pragma once

#include <QString>

namespace velo {

// Real to whole number the way every explicit conversion in the program does it:
// nearest integer, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4); beyond the
// range of long long, its nearer end.
long long roundHalfEven(double value);

// Text of a number with a fixed count of decimals, as the patterns "#0", "####0",
// "#0.0" and "0.0" give it: rounded on the decimal text, a half going away from zero
// (2.25 -> "2.3", 0.15 -> "0.2", -2.5 -> "-3").
QString formatFixed(double value, int decimals);

// The number a text starts with: blanks skipped, an optional sign, digits with an
// optional point and exponent; a text without one counts as 0 ("2.9abc" -> 2.9). A
// number beyond the double range gives the largest double of its sign.
double leadingNumber(const QString& text);

}  // namespace velo
