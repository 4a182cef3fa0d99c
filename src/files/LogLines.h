#pragma once
// The daily log file: its name, the time stamp every line starts with, and the one writer that
// both the folder store and the database gateway use.
#include <QDate>
#include <QDateTime>
#include <QString>

class AlarmLamps;

// "dd.MM.yyyy HH:mm:ss": the one time-stamp form of every log line.
QString TimeStamp(const QDateTime& moment);

// yyyyMMdd + ".txt"
QString DailyLogFileName(const QDate& day);

// Full path of the day's log file in a folder.
QString DailyLogPath(const QString& folder, const QDate& day);

// The time stamp, ";   " and the text (escaped): the shape of every log line.
QString LogLine(const QDateTime& moment, const QString& text);

// One log line is one line: CR, LF and the other control characters (C0 but TAB, DEL, C1, the
// Unicode line and paragraph separators) become \r, \n or \xHH / \uHHHH, so that a value a
// sender wrote cannot end a line or plant one that looks like a log entry. TAB stays: the fixed
// texts use it.
QString EscapedForLog(const QString& text);

// The folder the log lines go to: the log folder, or the settings file's folder when it is empty
// (never the root of the file system); "" when neither is known.
QString LogFolderOrFallback(const QString& logFolder);

// Appends one whole line (escaped, ended by CR LF) to the file, creating it when missing. A line
// the disk cannot take whole is cut off again; a line left unended by an earlier failure is ended
// first. Never throws; false when the line could not be written.
bool AppendLine(const QString& path, const QString& line);

// Appends a log line to the day's file in LogFolderOrFallback(logFolder), re-creating the folder
// when it was deleted while the program runs. A line that still cannot be written raises the
// files alarm (group 2) when lamps are given; a re-created folder reports success there.
bool WriteLogLine(const QString& logFolder, const QDate& day, const QString& line,
                  AlarmLamps* lamps);
