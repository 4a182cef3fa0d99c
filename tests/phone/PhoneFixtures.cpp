#include "PhoneFixtures.h"

namespace phonetest {

const QVector<testsupport::TsvRow>& ReplyRows() {
    static const QVector<testsupport::TsvRow> rows =
        testsupport::ReadTsv(testsupport::SharedDir() + "/modem-replies/replies.tsv");
    return rows;
}

QString WithCrLf(const QString& reply) {
    QString out;
    for (int i = 0; i < reply.size(); ++i) {
        if (reply[i] == QLatin1Char('\n') && (i == 0 || reply[i - 1] != QLatin1Char('\r')))
            out += QLatin1Char('\r');
        out += reply[i];
    }
    return out;
}

QString ReplyText(const testsupport::TsvRow& row) {
    return WithCrLf(testsupport::Unescape(row["reply"]));
}

QString Reply(int line) {
    const int row = line - 2;
    if (row < 0 || row >= ReplyRows().size())
        return QStringLiteral("<no line %1>").arg(line);
    return ReplyText(ReplyRows()[row]);
}

}  // namespace phonetest
