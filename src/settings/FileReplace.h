#pragma once
// Writing files without ever leaving them half written: a small file's whole contents replaced,
// or a line appended whole.
#include <QByteArray>
#include <QString>

class QFileDevice;

// Waits until what was written to the file is on the disk; false when it could not get there.
bool SyncToDisk(QFileDevice& file);

// Appends bytes to a file opened unbuffered for appending. When the disk takes only part of them
// (a full disk), the part is taken back so that no half line stays for the next one to join.
bool AppendWhole(QFileDevice& file, const QByteArray& bytes);

// Writes `bytes` as the file's new contents. Normally a temporary file beside it is written,
// synced and renamed over it, taking the old file's owner, group and mode first. Where the folder
// cannot take a temporary file (or the owner cannot be given to it), the file is rewritten in
// place, grown first so that a full disk is found before the old text is touched. False when the
// new contents could not be stored; the old file is then left as it was.
bool ReplaceFileContents(const QString& path, const QByteArray& bytes);
