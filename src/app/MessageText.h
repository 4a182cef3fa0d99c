#pragma once
// Pure text helpers of the gateway pipelines: the cleaning of a decoded message, the fields of a
// received line, the split of an encoded part and the list lines of both collections. No I/O, no
// state.
#include <QString>
#include <QStringList>

#include "settings/Collections.h"

// Removes every NUL character and nothing else: apostrophes, quotes, backslashes and line breaks
// are part of the message and the database layer passes them through safely.
QString CleanText(const QString& decoded);

// Key and decoded fields of a received message: "key TAB date TAB number TAB text". The text is
// everything after the third tab, tabs included.
struct ReceivedFields {
    QString key;
    QString dateTime;
    QString phone;
    QString text;
};
ReceivedFields SplitReceived(const QString& line);

// One encoded part "PDU-length", split at its last "-". A part without "-" is all PDU.
struct EncodedPart {
    QString pdu;
    QString length;
};
EncodedPart SplitEncodedPart(const QString& part);

// A waiting send-table row "ID NUL Number NUL Text" (a row of 5 characters or fewer carries
// nothing and gives no key).
struct SendRow {
    QString key;
    QString number;
    QString text;
};
SendRow SplitSendRow(const QString& row);
bool IsSendRow(const QString& row);

// Makes a waiting record (status 4, the number as written) from one send-table row
// and appends it, unless the row carries nothing or a record with its key is held already (that
// one keeps its state). True when a record was added.
bool LoadSendRow(SendCollection& sends, const QString& row);

// The list lines: MsgID TAB Status TAB SendAttempts TAB Phone blank MsgText, and
// MsgID TAB True/False TAB DateTime TAB Phone blank MsgText.
QString SendLine(const MsgToSend& msg);
QString ReceivedLine(const ReceivedMsg& msg);
