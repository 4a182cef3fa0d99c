#pragma once
// The daily log file: its name, the time stamp every line starts with, and the one append that
// both writers (the folder store and the database gateway) use.
#include <QDate>
#include <QDateTime>
#include <QString>

// "dd.MM.yyyy HH:mm:ss": the one time-stamp form of every log line.
QString TimeStamp(const QDateTime& moment);

// yyyyMMdd + ".txt"
QString DailyLogFileName(const QDate& day);

// Full path of the day's log file in a folder.
QString DailyLogPath(const QString& folder, const QDate& day);

// The time stamp, ";   " and the text: the shape of every log line.
QString LogLine(const QDateTime& moment, const QString& text);

// Appends one line (ended by CR LF) to the file, creating it when missing. Never throws; returns
// false when the line could not be written (folder gone, disk full, read-only).
bool AppendLine(const QString& path, const QString& line);
