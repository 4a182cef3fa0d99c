#include "files/LogLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include "files/AlarmLamps.h"
#include "settings/FileReplace.h"
#include "settings/Ini.h"

namespace {

QString EscapeOf(char16_t c) {
    switch (c) {
        case u'\r':
            return QStringLiteral("\\r");
        case u'\n':
            return QStringLiteral("\\n");
        default:
            break;
    }
    const bool small = c <= 0xFF;
    return (small ? QStringLiteral("\\x") : QStringLiteral("\\u")) +
           QString::number(c, 16).toUpper().rightJustified(small ? 2 : 4, QLatin1Char('0'));
}

bool NeedsEscape(char16_t c) {
    return (c < 0x20 && c != u'\t') || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

bool EndsUnfinished(QFile& file) {
    const qint64 size = file.size();
    if (size <= 0 || !file.seek(size - 1))
        return false;
    char last = 0;
    return file.getChar(&last) && last != '\n';
}

}  // namespace

QString TimeStamp(const QDateTime& moment) {
    return moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString DailyLogFileName(const QDate& day) {
    return day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".txt");
}

QString DailyLogPath(const QString& folder, const QDate& day) {
    return QDir(folder).filePath(DailyLogFileName(day));
}

QString LogLine(const QDateTime& moment, const QString& text) {
    return TimeStamp(moment) + QStringLiteral(";   ") + EscapedForLog(text);
}

QString EscapedForLog(const QString& text) {
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return NeedsEscape(c.unicode()); }))
        return text;
    QString out;
    out.reserve(text.size() + 8);
    for (QChar c : text)
        out += NeedsEscape(c.unicode()) ? EscapeOf(c.unicode()) : QString(c);
    return out;
}

QString LogFolderOrFallback(const QString& logFolder) {
    if (!logFolder.isEmpty())
        return logFolder;
    return INIFileName.isEmpty() ? QString() : QFileInfo(INIFileName).absolutePath();
}

bool AppendLine(const QString& path, const QString& line) {
    QFile file(path);
    // Unbuffered: the line goes down in one write whose outcome is known here.
    // Read access only serves to see whether the file ends unended; a file that may only be
    // written is appended to all the same.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered) &&
        !file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    QByteArray bytes = (EscapedForLog(line) + QStringLiteral("\r\n")).toUtf8();
    if (EndsUnfinished(file))
        bytes.prepend("\r\n");
    return AppendWhole(file, bytes);
}

bool WriteLogLine(const QString& logFolder, const QDate& day, const QString& line,
                  AlarmLamps* lamps) {
    const QString folder = LogFolderOrFallback(logFolder);
    bool written = !folder.isEmpty() && AppendLine(DailyLogPath(folder, day), line);
    if (!written && !folder.isEmpty() && !QFileInfo(folder).isDir() && QDir().mkpath(folder)) {
        if (lamps)
            lamps->SetAlarm(AlarmFiles, AlarmSuccess);
        written = AppendLine(DailyLogPath(folder, day), line);
    }
    if (!written && lamps)
        lamps->SetAlarm(AlarmFiles, AlarmRaised);
    return written;
}
