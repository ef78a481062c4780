#pragma once
// The engine's conversions between script numbers and their text: the evaluator writes every
// result with FormatNumber, and every reader of such a result turns it back with NumberFromText.
// None of them depends on the process locale.

#include <string>
#include <string_view>

// The one conversion of a script number to an int: truncated toward zero, NaN gives 0, values
// beyond the int range saturate.
int TruncateToInt(double value);

// "%.15g" in the C locale; values that are not finite read "inf", "-inf" and "nan".
std::string FormatNumber(double value);
void FormatNumber(double value, std::string& out);

// The number an evaluator result text stands for (from_chars, C locale); 0 for "" and for a
// text that starts with no number.
double NumberFromText(std::string_view text);
