#pragma once
// The two number conversions the settings readers use.
#include <QString>
#include <optional>

// Decimal conversion: blanks around an optionally signed run of digits and nothing else.
// Anything else (empty, "abc", "12abc", out of the 32-bit range) gives no value.
std::optional<int> DecimalValue(const QString& text);
// The same conversion without the 32-bit limit: a longer run of digits saturates at the 64-bit
// range, so that a reader can tell a huge number from a text that is no number.
std::optional<qint64> WideDecimalValue(const QString& text);

// Leading-number conversion: blanks, tabs and line breaks are skipped wherever they stand,
// an optional sign, then digits up to the first other character. "12abc" gives 12,
// "abc" gives 0, " 1 2x" gives 12. Saturates at the 64-bit range.
qint64 LeadingNumber(const QString& text);

// The digits the leading-number conversion reads, written back as plain decimal digits
// without leading zeros ("+7 900 123" gives "7900123", "007" gives "7", "0" gives "0");
// empty when the text does not start with a digit (after blanks).
QString LeadingDigits(const QString& text);
