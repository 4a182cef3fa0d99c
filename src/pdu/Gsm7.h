#pragma once
// The GSM 7-bit default alphabet and its extension table (TS 23.038). An extension character is
// sent as the escape septet 0x1B followed by its code, so it costs two septets.
#include <QString>
#include <QStringView>

#include <cstdint>

#include "pdu/PduPrimitives.h"

constexpr std::uint8_t kGsm7Escape = 0x1B;

// Septets a character costs: 1 in the default table, 2 in the extension table, 0 when the
// alphabet lacks it.
int Gsm7Cost(QChar c);
// True when every character of the text is in the alphabet.
bool IsGsm7Text(QStringView text);
// Total septets of a text the alphabet holds.
int Gsm7SeptetCount(QStringView text);
// Appends the septets of a text the alphabet holds (characters it lacks are skipped).
void AppendGsm7Septets(Septets& out, QStringView text);

// The text of received septets. An escape followed by a code the extension table lacks gives the
// default character of that code; an escape at the end gives nothing.
void AppendGsm7Text(QString& out, const std::uint8_t* septets, int count);
