#pragma once
// Replies of real phones from the shared fixture table, as the phone put them on the line.
#include <QString>

#include "testsupport.h"

namespace phonetest {

// The rows of modem-replies/replies.tsv.
const QVector<testsupport::TsvRow>& ReplyRows();
// The reply on line `line` of replies.tsv (the header is line 1), with CR LF line ends.
QString Reply(int line);
// The reply of one row: escapes undone, CR LF line ends.
QString ReplyText(const testsupport::TsvRow& row);
// A reply of pieces joined by " + ": "#N" is the reply on line N ("#N[a,b]" its lines a to b with
// their line end, "#N<k" its first k characters, "#N>k" the rest), anything else literal text
// with the fixture escapes. A "<mr>" the peer's test fills in becomes 7.
QString Composed(const QString& pieces);
// The dump files lost the CR of each line end; this puts it back (CR LF as the phone sent).
QString WithCrLf(const QString& reply);

}  // namespace phonetest
