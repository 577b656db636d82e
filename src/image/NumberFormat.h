// Number texts: the short label form (FormatValue), the fixed form of the value
// labels and the general number format, each with the locale's decimal separator.
#pragma once

#include <string>

// Short text for labels and read-outs: "0"; exponent form with 3 significant digits
// when the decimal exponent is beyond +-4; otherwise fixed form with at most 4
// significant digits and Digits - e decimals.
std::string FormatValue(int Digits, double Value, char sep = '.');

// Fixed form with at most `precision` significant digits and `digits` decimals,
// padded with zeros; the general scientific form when the rounded value has more than
// `precision` digits before the separator.
std::string FormatFixed(double Value, int precision, int digits, char sep = '.');

// Up to 15 significant digits: fixed notation without trailing zeros for
// 0.0001 <= |v| < 1e15, otherwise "1.5E20" / "1E-5".
std::string FormatGeneral(double Value, char sep = '.');

// Appends the text FormatGeneral gives for `Value` to `out`, without temporary
// strings (the ASCII export writes every value of a picture this way).
void AppendGeneral(std::string& out, double Value, char sep = '.');

// Reads a number written with '.' or `sep` as separator; false when the whole
// text (surrounding blanks allowed) is not a number.
bool ParseNumber(const std::string& text, double& value, char sep = '.');
