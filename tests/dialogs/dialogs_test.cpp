// The three settings dialogs and the information box as widgets, against real settings files:
// what they show, what OK writes and that Cancel writes nothing.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

#include "dialogs/ColourValues.h"
#include "dialogs/OpenFileDialog.h"
#include "dialogs/WidgetTestSupport.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmMySQL.h"
#include "dialogs/frmOptions.h"
#include "dialogs/frmPhoneOptions.h"

using widgettest::AnswerNextModal;
using widgettest::ScratchSettings;

namespace {

void Click(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled()) << button->text().toStdString();
    // Near the left edge: an option button stretched by its layout only takes clicks on its
    // mark and caption.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

QColor BoxBase(const QLineEdit* box) {
    return box->palette().color(QPalette::Base);
}

const QByteArray kServerSettings =
    "[Server]\nSbType=2\nDriver=1\nAccess=0\nServerName=db1\nDbName=Sms\nUser=sa\nPwd=pw\n"
    "TableReceive=In\nTableSend=Out\nMySqlODBC=1\n";

}  // namespace

TEST(frmOptionsDialog, ShowsTheSettingsWithTheBoxColours) {
    ScratchSettings settings;
    frmOptions dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Настройка подключения к базе данных"));
    EXPECT_TRUE(dialog.optType(KindAccess)->isChecked());
    EXPECT_TRUE(dialog.optDrvType(DriverOdbc)->isChecked());
    EXPECT_TRUE(dialog.optAccess(AccessStandard)->isChecked());
    EXPECT_EQ(dialog.optType(KindSQLite)->text(), QStringLiteral("SQLite"));
    EXPECT_FALSE(dialog.box(BoxServer)->isEnabled());
    EXPECT_EQ(BoxBase(dialog.box(BoxPassword)), QColor(Qt::yellow));
    EXPECT_EQ(BoxBase(dialog.box(BoxServer)), dialog.palette().color(QPalette::Button));
    EXPECT_TRUE(dialog.lblDescription()->text().endsWith(QStringLiteral("mdb")));
    EXPECT_FALSE(dialog.cmdOpenFile()->isHidden());
    EXPECT_TRUE(dialog.cmdMySqlODBC()->isHidden());

    QTest::keyClicks(dialog.box(BoxSend), QStringLiteral("Send"));
    EXPECT_EQ(BoxBase(dialog.box(BoxSend)), QColor(Qt::white));
}

TEST(frmOptionsDialog, FireBirdClickAndOpenFileThenOkWritesSectionServer) {
    ScratchSettings settings(kServerSettings);
    frmOptions dialog;
    QString askedFolder;
    QStringList askedFilters;
    dialog.openFileDialog = [&](const QString& initDir, const QStringList& filters,
                                const QString&) {
        askedFolder = initDir;
        askedFilters = filters;
        return QStringLiteral("/data/sms.fdb");
    };
    Click(dialog.optType(KindFirebird));
    EXPECT_TRUE(dialog.optDrvType(DriverOdbc)->isChecked());
    EXPECT_FALSE(dialog.optDrvType(DriverOleDb)->isEnabled());
    EXPECT_FALSE(dialog.optAccess(AccessTrusted)->isEnabled());
    EXPECT_TRUE(dialog.box(BoxServer)->text().isEmpty());
    EXPECT_TRUE(dialog.lblDescription()->text().endsWith(QStringLiteral("fdb")));

    Click(dialog.cmdOpenFile());
    EXPECT_EQ(askedFolder, settings.folder());
    EXPECT_EQ(askedFilters, (QStringList{QStringLiteral("(*.fdb)"), QStringLiteral("*.fdb"),
                                         QStringLiteral("(*.*)"), QStringLiteral("*.*")}));
    EXPECT_EQ(dialog.box(BoxDBase)->text(), QStringLiteral("/data/sms.fdb"));

    Click(dialog.cmdOK());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const QString s = QStringLiteral("Server");
    EXPECT_EQ(settings.value(s, QStringLiteral("SbType")), QStringLiteral("5"));
    EXPECT_EQ(settings.value(s, QStringLiteral("Driver")), QStringLiteral("0"));
    EXPECT_EQ(settings.value(s, QStringLiteral("Access")), QStringLiteral("0"));
    EXPECT_EQ(settings.value(s, QStringLiteral("ServerName")), QString());
    EXPECT_EQ(settings.value(s, QStringLiteral("DbName")), QStringLiteral("/data/sms.fdb"));
    EXPECT_EQ(settings.value(s, QStringLiteral("User")), QStringLiteral("sa"));
    EXPECT_EQ(settings.value(s, QStringLiteral("Pwd")), QStringLiteral("pw"));
    EXPECT_EQ(settings.value(s, QStringLiteral("TableReceive")), QStringLiteral("In"));
    EXPECT_EQ(settings.value(s, QStringLiteral("TableSend")), QStringLiteral("Out"));
}

TEST(frmOptionsDialog, CancelledOpenFilePutsAnEmptyPath) {
    ScratchSettings settings(kServerSettings);
    frmOptions dialog;
    dialog.openFileDialog = [](const QString&, const QStringList&, const QString&) {
        return QString();
    };
    Click(dialog.optType(KindSQLite));
    QTest::keyClicks(dialog.box(BoxDBase), QStringLiteral("x"));
    Click(dialog.cmdOpenFile());
    EXPECT_TRUE(dialog.box(BoxDBase)->text().isEmpty());
    EXPECT_EQ(BoxBase(dialog.box(BoxDBase)), QColor(Qt::yellow));
}

TEST(frmOptionsDialog, CancelWritesNothing) {
    ScratchSettings settings(kServerSettings);
    frmOptions dialog;
    Click(dialog.optType(KindAccess));
    QTest::keyClicks(dialog.box(BoxDBase), QStringLiteral("/elsewhere.mdb"));
    Click(dialog.cmdCancel());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(settings.bytes(), kServerSettings);
}

TEST(frmOptionsDialog, MySqlWithOdbcOpensTheVariantDialogWhoseOkIsApplied) {
    ScratchSettings settings(kServerSettings);
    frmOptions dialog;
    dialog.show();
    Click(dialog.optDrvType(DriverOdbc));
    auto answered = AnswerNextModal<frmMySQL>([](frmMySQL* variants) {
        EXPECT_EQ(variants->windowTitle(), QStringLiteral("MySQL: дополнительные настройки"));
        EXPECT_TRUE(variants->optMySQL(1)->isChecked());
        Click(variants->optMySQL(3));
        Click(variants->cmdOK());
    });
    Click(dialog.optType(KindMySql));
    EXPECT_TRUE(*answered);
    EXPECT_EQ(settings.value(QStringLiteral("Server"), QStringLiteral("MySqlODBC")),
              QStringLiteral("3"));
    EXPECT_EQ(dialog.lblDescription()->text(), QStringLiteral("MyODBC 3.51 Remote database"));
    EXPECT_FALSE(dialog.cmdMySqlODBC()->isHidden());
    EXPECT_FALSE(dialog.optAccess(AccessTrusted)->isEnabled());

    // The "..." button opens it again; Cancel there keeps the variant.
    answered = AnswerNextModal<frmMySQL>([](frmMySQL* variants) {
        Click(variants->optMySQL(0));
        Click(variants->cmdCancel());
    });
    Click(dialog.cmdMySqlODBC());
    EXPECT_TRUE(*answered);
    EXPECT_EQ(settings.value(QStringLiteral("Server"), QStringLiteral("MySqlODBC")),
              QStringLiteral("3"));
    EXPECT_EQ(dialog.lblDescription()->text(), QStringLiteral("MyODBC 3.51 Remote database"));
}

TEST(frmMySQLDialog, OkWritesTheCheckedVariantAndCancelNothing) {
    ScratchSettings settings("[Server]\nMySqlODBC=2\n");
    {
        frmMySQL dialog;
        EXPECT_TRUE(dialog.optMySQL(2)->isChecked());
        EXPECT_EQ(dialog.optMySQL(0)->text(), QStringLiteral("MyODBC 2.50 Local database"));
        Click(dialog.optMySQL(0));
        Click(dialog.cmdCancel());
        EXPECT_EQ(settings.bytes(), QByteArray("[Server]\nMySqlODBC=2\n"));
    }
    frmMySQL dialog;
    Click(dialog.optMySQL(1));
    Click(dialog.cmdOK());
    EXPECT_EQ(settings.value(QStringLiteral("Server"), QStringLiteral("MySqlODBC")),
              QStringLiteral("1"));
}

TEST(frmPhoneOptionsDialog, NoSettingsFileShowsTheDefaultsAndOkWritesExactlyThem) {
    ScratchSettings settings;
    frmPhoneOptions dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Настройки телефона"));
    EXPECT_EQ(dialog.txtPortNumber()->text(), QStringLiteral("1"));
    EXPECT_EQ(dialog.txtSpeed()->currentText(), QStringLiteral("19200"));
    EXPECT_EQ(dialog.txtPeriod()->text(), QStringLiteral("60"));
    EXPECT_EQ(dialog.txtSMSC()->text(), QStringLiteral("79xxxxxxxxx"));
    EXPECT_FALSE(dialog.chkLatin()->isChecked());
    EXPECT_FALSE(dialog.chkReport()->isChecked());
    QStringList speeds;
    for (int i = 0; i < dialog.txtSpeed()->count(); ++i)
        speeds << dialog.txtSpeed()->itemText(i);
    EXPECT_EQ(speeds, frmPhoneOptions::SpeedList());
    EXPECT_EQ(speeds.first(), QStringLiteral("4800"));
    EXPECT_EQ(speeds.last(), QStringLiteral("460800"));

    Click(dialog.cmdOK());
    EXPECT_EQ(settings.value(QStringLiteral("Phone"), QStringLiteral("ComPort")),
              QStringLiteral("1"));
    EXPECT_EQ(settings.value(QStringLiteral("Phone"), QStringLiteral("ComPortSpeed")),
              QStringLiteral("19200"));
    EXPECT_EQ(settings.value(QStringLiteral("Phone"), QStringLiteral("Period")),
              QStringLiteral("60"));
    EXPECT_EQ(settings.value(QStringLiteral("SMS"), QStringLiteral("SMSC")),
              QStringLiteral("79xxxxxxxxx"));
    EXPECT_EQ(settings.value(QStringLiteral("SMS"), QStringLiteral("ToLatin")),
              QStringLiteral("0"));
    EXPECT_EQ(settings.value(QStringLiteral("SMS"), QStringLiteral("Report")), QStringLiteral("0"));
    const QString text = QString::fromUtf8(settings.bytes());
    EXPECT_EQ(text.count(QLatin1Char('=')), 6) << text.toStdString();
}

TEST(frmPhoneOptionsDialog, OkStoresWhatTheBoxesHoldUnchecked) {
    ScratchSettings settings("[Phone]\nComPort=3\nComPortSpeed=9600\n[SMS]\nToLatin=1\n");
    frmPhoneOptions dialog;
    EXPECT_EQ(dialog.txtPortNumber()->text(), QStringLiteral("3"));
    EXPECT_EQ(dialog.txtSpeed()->currentText(), QStringLiteral("9600"));
    EXPECT_TRUE(dialog.chkLatin()->isChecked());

    dialog.txtPortNumber()->clear();
    QTest::keyClicks(dialog.txtPortNumber(), QStringLiteral("/dev/ttyUSB0"));
    dialog.txtSpeed()->clearEditText();
    QTest::keyClicks(dialog.txtSpeed(), QStringLiteral("12345"));
    dialog.txtPeriod()->clear();
    QTest::keyClicks(dialog.txtPeriod(), QStringLiteral("abc"));
    Click(dialog.chkLatin());
    Click(dialog.chkReport());
    Click(dialog.cmdOK());

    EXPECT_EQ(settings.value(QStringLiteral("Phone"), QStringLiteral("ComPort")),
              QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(settings.value(QStringLiteral("Phone"), QStringLiteral("ComPortSpeed")),
              QStringLiteral("12345"));
    EXPECT_EQ(settings.value(QStringLiteral("Phone"), QStringLiteral("Period")),
              QStringLiteral("abc"));
    EXPECT_EQ(settings.value(QStringLiteral("SMS"), QStringLiteral("ToLatin")),
              QStringLiteral("0"));
    EXPECT_EQ(settings.value(QStringLiteral("SMS"), QStringLiteral("Report")), QStringLiteral("1"));
}

TEST(frmPhoneOptionsDialog, CancelWritesNothing) {
    const QByteArray original("[Phone]\nComPort=3\n");
    ScratchSettings settings(original);
    frmPhoneOptions dialog;
    QTest::keyClicks(dialog.txtPeriod(), QStringLiteral("0"));
    Click(dialog.chkReport());
    Click(dialog.cmdCancel());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(settings.bytes(), original);
}

TEST(frmAboutBox, ShowsTheProjectVersionAsThreeNumbersAndClosesWithOk) {
    frmAbout about;
    const QString expected = VersionText(QStringLiteral(PELORUS_VERSION));
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(expected).hasMatch());
    EXPECT_TRUE(about.lblVersion()->text().endsWith(expected));
    EXPECT_FALSE(frmAbout::Description().isEmpty());
    about.show();
    Click(about.cmdOK());
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST(frmAboutBox, VersionTextGivesMajorMinorRevision) {
    const struct {
        const char* version;
        const char* text;
    } cases[] = {{"0.1.0", "0.1.0"},
                 {"1.2", "1.2.0"},
                 {"3", "3.0.0"},
                 {"1.2.3.4", "1.2.3"},
                 {"2..5", "2.0.5"}};
    for (const auto& c : cases)
        EXPECT_EQ(VersionText(QString::fromLatin1(c.version)), QString::fromLatin1(c.text))
            << c.version;
}

TEST(OpenFileDialogFilters, PairsBecomeFileDialogFilters) {
    EXPECT_EQ(FileDialogFilters({QStringLiteral("(*.mdb)"), QStringLiteral("*.mdb"),
                                 QStringLiteral("(*.*)"), QStringLiteral("*.*")}),
              (QStringList{QStringLiteral("(*.mdb)"), QStringLiteral("(*.*)")}));
    EXPECT_EQ(FileDialogFilters({QStringLiteral("SQLite"), QStringLiteral("*.db")}),
              QStringList{QStringLiteral("SQLite (*.db)")});
    EXPECT_TRUE(FileDialogFilters({QStringLiteral("odd")}).isEmpty());
}
