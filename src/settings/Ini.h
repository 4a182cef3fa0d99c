#pragma once
// The settings file: Windows private-profile format ("[Section]" lines, "Key=Value" lines).
//
// Section and key names match in any letter case; a value read comes back cut to 254 characters;
// a key present with nothing after "=" gives "", a missing file, section or key gives the default.
// A write puts the value on one line (every CR and LF becomes a blank), changes only that line,
// and replaces the file atomically, keeping its owner, group and mode (see ReplaceFileContents).
// Each line is read as UTF-8, or as Windows-1251 when that line is not valid UTF-8 (settings
// edited with Windows tools); a file with a UTF-16 byte-order mark is read as UTF-16. A write
// gives UTF-16 back to a UTF-16 file and UTF-8 to every other.
//
// Reads are served from a parsed copy of the file kept in memory: writes through WriteINI refresh
// it, and edits made by hand are noticed by a file watcher (and, where no event loop runs, by a
// look at the file's time stamp at most every 200 ms).

#include <QString>

// Path of the settings file every reader and writer uses.
extern QString INIFileName;

// The program's folder followed by "/Pelorus.ini".
QString DefaultIniFileName();

// Sets INIFileName from a "--config FILE" pair in the arguments, else to DefaultIniFileName().
// Returns the chosen path.
QString SetIniFileNameFromArguments(const QStringList& arguments);

QString ReadINI(const QString& fileName, const QString& section, const QString& key,
                const QString& defaultValue);

// Returns false when the file could not be written (the old file is then left whole).
bool WriteINI(const QString& fileName, const QString& section, const QString& key,
              const QString& value);

// Forgets every parsed copy; the next read opens the file again.
void ForgetIniCache();

// Bumped whenever any parsed copy is refreshed; readers that keep values of their own compare it.
quint64 IniGeneration();
