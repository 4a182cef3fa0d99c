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
    QString out, err;
};

class PduTool : public ScratchSettings {
protected:
    static QString program() {
        return testsupport::BinaryDir() + QStringLiteral("/tools/pelorus-pdu/pelorus-pdu");
    }
    ToolRun run(const QStringList& args, const QByteArray& input = {}, bool withConfig = true) {
        QProcess p;
        p.start(program(), withConfig ? args + QStringList{"--config", INIFileName} : args);
        p.write(input);
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(20000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
};

TEST_F(PduTool, EncodePrintsTheElementsAndUsesTheSettingsFile) {
    const QStringList encode{"encode", "--smsc", "79001111111", "--to", "79001234567"};
    const ToolRun r = run(encode + QStringList{"--report", "--text", "Да"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("07919700111111F131000B919700214365F70008AA0404140430-18\n"));
    set("SMS", "ToLatin", QStringLiteral("1"));
    set("SMS", "LongID", QStringLiteral("41"));
    const ToolRun latin = run(encode + QStringList{"--text", QString(170, QChar(0x0416))});
    EXPECT_EQ(latin.out.count(QLatin1Char('\n')), 2);  // 170 septets of "J", not 3 UCS2 parts
    ForgetIniCache();  // the program wrote the file behind this process's back
    EXPECT_EQ(get("SMS", "LongID"), QStringLiteral("42"));

    // Mend: a Windows-1251 text file and its final line end were sent as they were, and a
    // settings file beside the program was made. Now the file is read as the settings are, the
    // one line end dropped, and without --config no settings file is made even by a long message.
    const QString textFile = QDir(folder()).filePath(QStringLiteral("text.txt"));
    ASSERT_TRUE(testsupport::WriteBytes(textFile, "\xC4\xE0\r\n"));
    const QString beside = QFileInfo(program()).dir().filePath(QStringLiteral("Pelorus.ini"));
    QFile::remove(beside);
    EXPECT_EQ(run(encode + QStringList{"--text-file", textFile}, {}, false).out,
              QStringLiteral("07919700111111F111000B919700214365F70008AA0404140430-18\n"));
    ASSERT_TRUE(testsupport::WriteBytes(textFile, QByteArray(200, 'a')));
    EXPECT_EQ(run(encode + QStringList{"--text-file", textFile}, {}, false).out.count('\n'), 2);
    EXPECT_FALSE(QFileInfo::exists(beside));
}

TEST_F(PduTool, DecodePrintsOneJsonObjectPerPdu) {
    const ToolRun r =
        run({QStringLiteral("decode")},
            "07919700111111F1062A0B919700214365F7622150413000216221504130702100\n"
            "07919700111111F1440B919700214365F70008622150413000210A0500032A020104140430-33\n");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const char* expected[] = {
        R"({"concat":null,"dcs":null,"kind":"status-report","number":"+79001234567",)"
        R"("smsc":"+79001111111","status":"00","text":"Отчет о доставке: Доставлено )"
        R"(+79001234567 Дата: 05.12.26  14:03:07"})",
        R"({"concat":{"ref":42,"seq":1,"total":2},"dcs":"08","kind":"deliver",)"
        R"("number":"+79001234567","smsc":"+79001111111","status":null,"text":"Да"})"};
    ASSERT_EQ(lines.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QJsonObject o = QJsonDocument::fromJson(lines[i].toUtf8()).object();
        const QString text = o[QStringLiteral("text")].toString();
        EXPECT_TRUE(o.take(QStringLiteral("plain")).toString().endsWith('\t' + text));
        EXPECT_EQ(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)),
                  QString::fromUtf8(expected[i]));
    }
    const ToolRun invalid = run({QStringLiteral("decode"), QStringLiteral("0011")});
    EXPECT_EQ(invalid.exitCode, 0);
    EXPECT_TRUE(invalid.out.contains(QLatin1String("\"kind\":\"invalid\"")));
}

TEST_F(PduTool, BadInputExitsWithStatus2) {
    for (const char* args : {"", "frobnicate", "decode 0G", "decode 123", "encode --to 7900",
                             "encode --smsc 1 --to 2 --text-file /nonexistent/file"}) {
        const ToolRun r = run(QString::fromLatin1(args).split(' ', Qt::SkipEmptyParts));
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
    }
}

}  // namespace
