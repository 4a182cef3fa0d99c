#pragma once
// Russian letters rewritten as Latin letters by one fixed table, so that a Russian text fits the
// 7-bit alphabet. A capital becomes an all-capital string (Щука gives SCHuka); characters outside
// the table are left as they are.
#include <QString>

QString Transliterate(const QString& text);
