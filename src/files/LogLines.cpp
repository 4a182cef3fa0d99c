#include "files/LogLines.h"

#include <QDir>
#include <QFile>

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
    return TimeStamp(moment) + QStringLiteral(";   ") + text;
}

bool AppendLine(const QString& path, const QString& line) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = (line + QStringLiteral("\r\n")).toUtf8();
    const bool written = file.write(bytes) == bytes.size();
    return file.flush() && written;
}
