#include "settings/Conversions.h"

#include <limits>

namespace {
bool IsSkippedBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\r');
}
bool IsAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
}  // namespace

std::optional<qint64> WideDecimalValue(const QString& text) {
    const QString t = text.trimmed();
    int i = 0;
    const bool negative = t.startsWith(QLatin1Char('-'));
    if (negative || t.startsWith(QLatin1Char('+')))
        i = 1;
    if (i >= t.size())
        return std::nullopt;
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (; i < t.size(); ++i) {
        if (!IsAsciiDigit(t[i]))
            return std::nullopt;
        const int digit = t[i].unicode() - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return negative ? -value : value;
}

std::optional<int> DecimalValue(const QString& text) {
    const std::optional<qint64> value = WideDecimalValue(text);
    if (!value || *value > std::numeric_limits<int>::max() ||
        *value < std::numeric_limits<int>::min())
        return std::nullopt;
    return static_cast<int>(*value);
}

qint64 LeadingNumber(const QString& text) {
    int i = 0;
    const int n = text.size();
    while (i < n && IsSkippedBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    for (; i < n; ++i) {
        if (IsSkippedBlank(text[i]))
            continue;
        if (!IsAsciiDigit(text[i]))
            break;
        const int digit = text[i].unicode() - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return negative ? -value : value;
}

QString LeadingDigits(const QString& text) {
    QString digits;
    int i = 0;
    const int n = text.size();
    while (i < n && IsSkippedBlank(text[i]))
        ++i;
    for (; i < n; ++i) {
        if (IsSkippedBlank(text[i]))
            continue;
        if (!IsAsciiDigit(text[i]))
            break;
        if (digits == QLatin1String("0"))
            digits.clear();  // leading zeros disappear
        digits += text[i];
    }
    return digits;
}
