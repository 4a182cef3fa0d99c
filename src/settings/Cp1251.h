#pragma once
#include <QByteArray>
#include <QString>

// Windows-1251 (Cyrillic) to Unicode, for settings files written by Windows tools.
QString DecodeCp1251(const QByteArray& bytes);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(const QByteArray& bytes);
