// pelorus-pdu: the gateway's PDU codec on the command line.
//   pelorus-pdu encode --smsc NUMBER --to NUMBER [--report] [--config FILE]
//                      (--text TEXT | --text-file FILE)
//       prints one "PDU-LENGTH" per line, as the phone driver receives them
//   pelorus-pdu decode [--config FILE] [HEX ...]
//       one JSON object per PDU (from the arguments, else one per line of standard input;
//       encode's "PDU-LENGTH" lines are taken as they are)
// Without --config the settings' defaults serve and no settings file is read or written.
// Bad arguments or bad hex: one line on standard error and exit status 2.
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cstdio>

#include "pdu/PduPrimitives.h"
#include "pdu/SMScoder.h"
#include "settings/Cp1251.h"
#include "settings/Ini.h"

namespace {

constexpr int kUsageError = 2;

int Fail(const QString& message) {
    QTextStream(stderr) << "pelorus-pdu: " << message << "\n";
    return kUsageError;
}

QJsonObject ToJson(const SMScoder& coder) {
    const DecodedPdu& d = coder.Decoded();
    QJsonObject o;
    o[QStringLiteral("kind")] = PduKindName(d.kind);
    o[QStringLiteral("smsc")] = d.smsc;
    o[QStringLiteral("number")] = d.number;
    o[QStringLiteral("text")] = d.text;
    o[QStringLiteral("dcs")] = d.dcs < 0 ? QJsonValue() : QJsonValue(HexOctet(d.dcs));
    if (d.hasConcat) {
        o[QStringLiteral("concat")] = QJsonObject{{QStringLiteral("ref"), d.concat.reference},
                                                  {QStringLiteral("total"), d.concat.total},
                                                  {QStringLiteral("seq"), d.concat.sequence}};
    } else {
        o[QStringLiteral("concat")] = QJsonValue();
    }
    o[QStringLiteral("status")] = d.status < 0 ? QJsonValue() : QJsonValue(HexOctet(d.status));
    o[QStringLiteral("plain")] = coder.PlainSMS();
    return o;
}

bool IsHexLine(const QString& line) {
    int digits = 0;
    for (QChar c : line) {
        if (c.isSpace())
            continue;
        if (HexDigitValue(c) < 0)
            return false;
        ++digits;
    }
    return digits > 0 && digits % 2 == 0;
}

int Decode(const QStringList& pdus, bool fromStdin) {
    QStringList input = pdus;
    if (fromStdin) {
        QTextStream in(stdin);
        QString line;
        while (in.readLineInto(&line)) {
            if (!line.trimmed().isEmpty())
                input << line.trimmed();
        }
    }
    SMScoder coder;
    QTextStream out(stdout);
    for (QString pdu : input) {
        // An element as encode prints it: the PDU, "-" and its length.
        const int dash = pdu.lastIndexOf(QLatin1Char('-'));
        if (dash > 0)
            pdu.truncate(dash);
        if (!IsHexLine(pdu))
            return Fail(QStringLiteral("not a PDU in hex: ") + pdu.left(60));
        coder.setRowSMS(pdu);
        out << QJsonDocument(ToJson(coder)).toJson(QJsonDocument::Compact) << "\n";
    }
    return 0;
}

int Encode(const QStringList& args) {
    QString smsc, to, text;
    bool haveSmsc = false, haveTo = false, haveText = false, report = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--report")) {
            report = true;
        } else if (a == QLatin1String("--config") && hasValue) {
            ++i;  // already applied
        } else if (a == QLatin1String("--smsc") && hasValue) {
            smsc = args[++i];
            haveSmsc = true;
        } else if (a == QLatin1String("--to") && hasValue) {
            to = args[++i];
            haveTo = true;
        } else if (a == QLatin1String("--text") && hasValue && !haveText) {
            text = args[++i];
            haveText = true;
        } else if (a == QLatin1String("--text-file") && hasValue && !haveText) {
            QFile file(args[++i]);
            if (!file.open(QIODevice::ReadOnly))
                return Fail(QStringLiteral("cannot read ") + file.fileName());
            // As the settings reader reads: a Windows-1251 file (or line) is no mojibake. The
            // one line end an editor puts after the last line is not part of the message.
            text = DecodeTextFile(file.readAll()).text;
            if (text.endsWith(QLatin1String("\r\n")))
                text.chop(2);
            else if (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
                text.chop(1);
            haveText = true;
        } else {
            return Fail(QStringLiteral("unexpected argument: ") + a);
        }
    }
    if (!haveSmsc || !haveTo || !haveText)
        return Fail(QStringLiteral("encode needs --smsc, --to and --text or --text-file"));
    SMScoder coder;
    coder.setReport(report ? 31 : 11);
    const QStringList elements = coder.PrepareSend(to, text, smsc, 0);
    if (elements.isEmpty())
        return Fail(coder.lastError());
    QTextStream out(stdout);
    for (const QString& e : elements)
        out << e << "\n";
    return 0;
}

const char kUsage[] =
    "usage: pelorus-pdu encode --smsc NUMBER --to NUMBER [--report] [--config FILE] "
    "(--text TEXT | --text-file FILE) | decode [--config FILE] [HEX ...]";

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    // Only a settings file named with --config is read or written (the reference counter
    // SMS/LongID); without one the defaults serve and nothing is created beside the program.
    if (args.contains(QStringLiteral("--config")))
        SetIniFileNameFromArguments(args);
    else
        INIFileName.clear();
    if (args.isEmpty())
        return Fail(QString::fromLatin1(kUsage));
    const QString command = args.takeFirst();
    if (command == QLatin1String("encode"))
        return Encode(args);
    if (command == QLatin1String("decode")) {
        const int config = args.indexOf(QStringLiteral("--config"));
        if (config >= 0)
            args.remove(config, std::min<qsizetype>(2, args.size() - config));
        for (const QString& a : args) {
            if (a.startsWith(QLatin1String("--")))
                return Fail(QStringLiteral("unexpected argument: ") + a);
        }
        return Decode(args, args.isEmpty());
    }
    return Fail(QString::fromLatin1(kUsage));
}
