#include "pdu/Transliterate.h"

#include <QStringList>

namespace {

// The two table rows, paired by position.
const char kCyrillic[] = "А Б В Г Д Е Ё Ж З И Й К Л М Н О П Р С Т У Ф Х Ц Ч Ь Ы Ъ Ш Щ Э Ю Я №";
const char kLatin[] = "A B V G D E E J Z I Y K L M N O P R S T U F H TS CH ' Y ' SH SCH E YU YA #";

void ReplacePairs(QString& text, const QString& from, const QString& to) {
    const QStringList source = from.split(QLatin1Char(' '));
    const QStringList target = to.split(QLatin1Char(' '));
    for (int i = 0; i < source.size() && i < target.size(); ++i)
        text.replace(source[i], target[i]);
}

}  // namespace

QString Transliterate(const QString& text) {
    QString out = text;
    const QString cyrillic = QString::fromUtf8(kCyrillic);
    const QString latin = QString::fromUtf8(kLatin);
    // Capitals first, then the same table in small letters.
    ReplacePairs(out, cyrillic, latin);
    ReplacePairs(out, cyrillic.toLower(), latin.toLower());
    return out;
}
