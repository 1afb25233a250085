#pragma once

#include <QString>

#include <optional>

namespace pellimore {

// Numbers as the settings store keeps them: read by their leading number,
// as a classic Val() reads text, and written with or without the blank a
// classic Str() puts before a number that is not negative.

// The leading number of a text: leading blanks (spaces, tabs) skipped, an
// optional sign, digits with at most one decimal point; reading stops at the
// first other character. 0 when the text begins with no number.
double LeadingNumber(const QString &text);
// The leading number rounded half to even, as the changer's settings are
// read; no value when it lies outside the 32-bit range.
std::optional<int> LeadingInteger(const QString &text);

// One blank before a number that is not negative, a minus sign otherwise
// (" 5", "-3").
QString PaddedNumberText(long long value);
// The plain decimal form: whole numbers without a fraction ("2", "-1"),
// others with up to seven significant digits ("2.5").
QString PlainNumberText(double value);

}  // namespace pellimore
