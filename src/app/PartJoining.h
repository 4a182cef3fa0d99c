#pragma once
// What becomes of the parts of long received messages that wait in the journal: a message whose
// parts are all there is joined into one text, in part-number order; the parts of one still
// incomplete when its time is up are released one by one. Pure: the caller brings the parts, the
// moment and the settings, and stores what comes out.
#include <QList>
#include <QString>
#include <QStringList>

#include "files/Journal.h"

// One row for the receive table and the waiting parts it settles.
struct ReleasedText {
    QString key;  // a record key no phone slot can have: "#J" or "#P" and the first digest
    QString sender;
    QString dateTime;
    QString text;
    QStringList digests;
};

// The parts of one message released without the others.
struct TimedOutMessage {
    QString sender;
    int reference = 0;
    QList<ReleasedText> parts;
};

struct JoinPlan {
    QList<ReleasedText> joined;
    QList<TimedOutMessage> timedOut;
};

// Parts belong together when sender, concatenation reference and part count agree.
QString MessageKeyOf(const Journal::WaitingPart& part);

// A part listed twice (one digest) is one part; two different parts under one part number are
// both kept, the first seen joins and the other waits on as a message of its own. A message
// waits from the moment its first part was seen; with joining off, nothing waits at all.
JoinPlan PlanJoins(const QList<Journal::WaitingPart>& waiting, qint64 nowMs, qint64 timeoutMs,
                   bool joining);
