#pragma once
// Replacing a small file's whole contents without ever leaving it half written.
#include <QByteArray>
#include <QString>

// Writes `bytes` as the file's new contents. Normally a temporary file beside it is written,
// synced and renamed over it, taking the old file's owner, group and mode first. Where the folder
// cannot take a temporary file (or the owner cannot be given to it), the file is rewritten in
// place, grown first so that a full disk is found before the old text is touched. False when the
// new contents could not be stored; the old file is then left as it was.
bool ReplaceFileContents(const QString& path, const QByteArray& bytes);
