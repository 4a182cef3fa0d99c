#include "PhoneFixtures.h"

#include <QRegularExpression>

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

QString Composed(const QString& pieces) {
    static const QRegularExpression piece(
        QStringLiteral(R"(^#(\d+)(\[(\d+),?(\d*)\]|<(\d+)|>(\d+))?$)"));
    QString out;
    for (const QString& p : pieces.split(QStringLiteral(" + "))) {
        const auto m = piece.match(p);
        QString reply = m.hasMatch() ? Reply(m.captured(1).toInt()).replace("<mr>", "7") : "";
        if (!m.hasMatch())
            out += testsupport::Unescape(p);
        else if (m.capturedLength(2) && m.captured(2)[0] == '[')
            out += reply.section("\r\n", m.captured(3).toInt(),
                                 m.captured(m.capturedLength(4) ? 4 : 3).toInt()) +
                   "\r\n";
        else if (m.capturedLength(5))
            out += reply.left(m.captured(5).toInt());
        else
            out += reply.mid(m.captured(6).toInt());
    }
    return out;
}

}  // namespace phonetest
