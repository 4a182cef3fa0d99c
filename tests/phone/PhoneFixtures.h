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
// The dump files lost the CR of each line end; this puts it back (CR LF as the phone sent).
QString WithCrLf(const QString& reply);

}  // namespace phonetest
