// The pelorus-pdu program as operators and scripts call it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "PduTestSupport.h"

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class PduTool : public ScratchSettings {
protected:
    static QString program() {
        return testsupport::BinaryDir() + QStringLiteral("/tools/pelorus-pdu/pelorus-pdu");
    }
    ToolRun run(const QStringList& args, const QByteArray& input = {}, bool withConfig = true) {
        QProcess p;
        p.start(program(),
                withConfig ? args + QStringList{QStringLiteral("--config"), INIFileName} : args);
        p.write(input);
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(20000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
};

TEST_F(PduTool, EncodePrintsTheElementsAndUsesTheSettingsFile) {
    const ToolRun r =
        run({QStringLiteral("encode"), QStringLiteral("--smsc"), QStringLiteral("79001111111"),
             QStringLiteral("--to"), QStringLiteral("79001234567"), QStringLiteral("--report"),
             QStringLiteral("--text"), QStringLiteral("Да")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("07919700111111F131000B919700214365F70008AA0404140430-18\n"));
    set("SMS", "ToLatin", QStringLiteral("1"));
    set("SMS", "LongID", QStringLiteral("41"));
    const ToolRun latin =
        run({QStringLiteral("encode"), QStringLiteral("--smsc"), QStringLiteral("79001111111"),
             QStringLiteral("--to"), QStringLiteral("79001234567"), QStringLiteral("--text"),
             QString(170, QChar(0x0416))});
    EXPECT_EQ(latin.out.count(QLatin1Char('\n')), 2);  // 170 septets of "J", not 3 UCS2 parts
    ForgetIniCache();  // the program wrote the file behind this process's back
    EXPECT_EQ(get("SMS", "LongID"), QStringLiteral("42"));
}

// Mend: a Windows-1251 text file and its final line end were sent as they were, and a settings
// file beside the program was made. Now the file is read as the settings are, the one line end
// dropped, and without --config no settings file is made even by a long message.
TEST_F(PduTool, TextFileIsReadLikeTheSettingsAndNoStraySettingsFileIsMade) {
    const QString textFile = QDir(folder()).filePath(QStringLiteral("text.txt"));
    ASSERT_TRUE(testsupport::WriteBytes(textFile, "\xC4\xE0\r\n"));
    const QString beside = QFileInfo(program()).dir().filePath(QStringLiteral("Pelorus.ini"));
    QFile::remove(beside);
    const QStringList encode{QStringLiteral("encode"),      QStringLiteral("--smsc"),
                             QStringLiteral("79001111111"), QStringLiteral("--to"),
                             QStringLiteral("79001234567"), QStringLiteral("--text-file")};
    EXPECT_EQ(run(encode + QStringList{textFile}, {}, false).out,
              QStringLiteral("07919700111111F111000B919700214365F70008AA0404140430-18\n"));
    ASSERT_TRUE(testsupport::WriteBytes(textFile, QByteArray(200, 'a')));
    EXPECT_EQ(run(encode + QStringList{textFile}, {}, false).out.count(QLatin1Char('\n')), 2);
    EXPECT_FALSE(QFileInfo::exists(beside));
}

TEST_F(PduTool, DecodePrintsOneJsonObjectPerPdu) {
    const ToolRun r =
        run({QStringLiteral("decode")},
            "07919700111111F1062A0B919700214365F7622150413000216221504130702100\n"
            "07919700111111F1440B919700214365F70008622150413000210A0500032A020104140430\n");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QJsonObject report = QJsonDocument::fromJson(lines[0].toUtf8()).object();
    EXPECT_EQ(report[QStringLiteral("kind")].toString(), QStringLiteral("status-report"));
    EXPECT_EQ(report[QStringLiteral("status")].toString(), QStringLiteral("00"));
    EXPECT_TRUE(report[QStringLiteral("concat")].isNull());
    EXPECT_TRUE(report[QStringLiteral("plain")].toString().endsWith(QStringLiteral("14:03:07")));
    const QJsonObject part = QJsonDocument::fromJson(lines[1].toUtf8()).object();
    EXPECT_EQ(part[QStringLiteral("kind")].toString(), QStringLiteral("deliver"));
    EXPECT_EQ(part[QStringLiteral("smsc")].toString(), QStringLiteral("+79001111111"));
    EXPECT_EQ(part[QStringLiteral("number")].toString(), QStringLiteral("+79001234567"));
    EXPECT_EQ(part[QStringLiteral("text")].toString(), QStringLiteral("Да"));
    EXPECT_EQ(part[QStringLiteral("dcs")].toString(), QStringLiteral("08"));
    EXPECT_EQ(part[QStringLiteral("concat")].toObject()[QStringLiteral("ref")].toInt(), 42);
    EXPECT_EQ(part[QStringLiteral("concat")].toObject()[QStringLiteral("total")].toInt(), 2);
    EXPECT_TRUE(part[QStringLiteral("status")].isNull());

    const ToolRun invalid = run({QStringLiteral("decode"), QStringLiteral("0011")});
    EXPECT_EQ(invalid.exitCode, 0);
    EXPECT_TRUE(invalid.out.contains(QLatin1String("\"kind\":\"invalid\"")));
}

TEST_F(PduTool, BadInputExitsWithStatus2) {
    const QList<QStringList> cases = {
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("decode"), QStringLiteral("0G")},
        {QStringLiteral("decode"), QStringLiteral("123")},
        {QStringLiteral("encode"), QStringLiteral("--to"), QStringLiteral("7900")},
        {QStringLiteral("encode"), QStringLiteral("--smsc"), QStringLiteral("1"),
         QStringLiteral("--to"), QStringLiteral("2"), QStringLiteral("--text-file"),
         QStringLiteral("/nonexistent/file")},
    };
    for (const QStringList& args : cases) {
        const ToolRun r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    }
}

}  // namespace
