// The three settings dialogs and the information box as widgets, against real settings files:
// what they show, what OK writes and that Cancel writes nothing.
#include <gtest/gtest.h>

#include <QApplication>
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

using namespace Qt::StringLiterals;
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
    EXPECT_EQ(dialog.windowTitle(), u"Настройка подключения к базе данных"_s);
    EXPECT_TRUE(dialog.optType(KindAccess)->isChecked());
    EXPECT_TRUE(dialog.optDrvType(DriverOdbc)->isChecked());
    EXPECT_TRUE(dialog.optAccess(AccessStandard)->isChecked());
    EXPECT_EQ(dialog.optType(KindSQLite)->text(), u"SQLite"_s);
    EXPECT_FALSE(dialog.box(BoxServer)->isEnabled());
    EXPECT_EQ(BoxBase(dialog.box(BoxPassword)), QColor(Qt::yellow));
    EXPECT_EQ(BoxBase(dialog.box(BoxServer)), dialog.palette().color(QPalette::Button));
    EXPECT_TRUE(dialog.lblDescription()->text().endsWith(u"mdb"_s));
    EXPECT_FALSE(dialog.cmdOpenFile()->isHidden());
    EXPECT_TRUE(dialog.cmdMySqlODBC()->isHidden());

    QTest::keyClicks(dialog.box(BoxSend), u"Send"_s);
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
        return u"/data/sms.fdb"_s;
    };
    // What the click does to the other options is the form's (see OptionsForm); the widgets show
    // it.
    Click(dialog.optType(KindFirebird));
    EXPECT_FALSE(dialog.optDrvType(DriverOleDb)->isEnabled());
    EXPECT_TRUE(dialog.lblDescription()->text().endsWith(u"fdb"_s));

    Click(dialog.cmdOpenFile());
    EXPECT_EQ(askedFolder, settings.folder());
    EXPECT_EQ(askedFilters, (QStringList{u"(*.fdb)"_s, u"*.fdb"_s, u"(*.*)"_s, u"*.*"_s}));
    EXPECT_EQ(dialog.box(BoxDBase)->text(), u"/data/sms.fdb"_s);

    Click(dialog.cmdOK());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(settings.values(u"Server"_s,
                              {u"SbType"_s, u"Driver"_s, u"Access"_s, u"ServerName"_s, u"DbName"_s,
                               u"User"_s, u"Pwd"_s, u"TableReceive"_s, u"TableSend"_s}),
              (QStringList{u"5"_s, u"0"_s, u"0"_s, QString(), u"/data/sms.fdb"_s, u"sa"_s, u"pw"_s,
                           u"In"_s, u"Out"_s}));
}

TEST(frmOptionsDialog, CancelledOpenFilePutsAnEmptyPath) {
    ScratchSettings settings(kServerSettings);
    frmOptions dialog;
    dialog.openFileDialog = [](const QString&, const QStringList&, const QString&) {
        return QString();
    };
    Click(dialog.optType(KindSQLite));
    QTest::keyClicks(dialog.box(BoxDBase), u"x"_s);
    Click(dialog.cmdOpenFile());
    EXPECT_TRUE(dialog.box(BoxDBase)->text().isEmpty());
    EXPECT_EQ(BoxBase(dialog.box(BoxDBase)), QColor(Qt::yellow));
}

TEST(frmOptionsDialog, CancelWritesNothing) {
    ScratchSettings settings(kServerSettings);
    frmOptions dialog;
    Click(dialog.optType(KindAccess));
    QTest::keyClicks(dialog.box(BoxDBase), u"/elsewhere.mdb"_s);
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
        EXPECT_EQ(variants->windowTitle(), u"MySQL: дополнительные настройки"_s);
        EXPECT_TRUE(variants->optMySQL(1)->isChecked());
        Click(variants->optMySQL(3));
        Click(variants->cmdOK());
    });
    Click(dialog.optType(KindMySql));
    EXPECT_TRUE(*answered);
    EXPECT_EQ(settings.value(u"Server"_s, u"MySqlODBC"_s), u"3"_s);
    EXPECT_EQ(dialog.lblDescription()->text(), u"MyODBC 3.51 Remote database"_s);
    EXPECT_FALSE(dialog.cmdMySqlODBC()->isHidden());
    EXPECT_FALSE(dialog.optAccess(AccessTrusted)->isEnabled());

    // The "..." button opens it again; Cancel there keeps the variant.
    answered = AnswerNextModal<frmMySQL>([](frmMySQL* variants) {
        Click(variants->optMySQL(0));
        Click(variants->cmdCancel());
    });
    Click(dialog.cmdMySqlODBC());
    EXPECT_TRUE(*answered);
    EXPECT_EQ(settings.value(u"Server"_s, u"MySqlODBC"_s), u"3"_s);
    EXPECT_EQ(dialog.lblDescription()->text(), u"MyODBC 3.51 Remote database"_s);
}

TEST(frmMySQLDialog, OkWritesTheCheckedVariantAndCancelNothing) {
    ScratchSettings settings("[Server]\nMySqlODBC=2\n");
    {
        frmMySQL dialog;
        EXPECT_TRUE(dialog.optMySQL(2)->isChecked());
        EXPECT_EQ(dialog.optMySQL(0)->text(), u"MyODBC 2.50 Local database"_s);
        Click(dialog.optMySQL(0));
        Click(dialog.cmdCancel());
        EXPECT_EQ(settings.bytes(), QByteArray("[Server]\nMySqlODBC=2\n"));
    }
    frmMySQL dialog;
    Click(dialog.optMySQL(1));
    Click(dialog.cmdOK());
    EXPECT_EQ(settings.value(u"Server"_s, u"MySqlODBC"_s), u"1"_s);
}

TEST(frmPhoneOptionsDialog, NoSettingsFileShowsTheDefaultsAndOkWritesExactlyThem) {
    ScratchSettings settings;
    frmPhoneOptions dialog;
    EXPECT_EQ(dialog.windowTitle(), u"Настройки телефона"_s);
    EXPECT_EQ(dialog.txtPortNumber()->text(), u"1"_s);
    EXPECT_EQ(dialog.txtSpeed()->currentText(), u"19200"_s);
    EXPECT_EQ(dialog.txtPeriod()->text(), u"60"_s);
    EXPECT_EQ(dialog.txtSMSC()->text(), u"79xxxxxxxxx"_s);
    EXPECT_FALSE(dialog.chkLatin()->isChecked());
    EXPECT_FALSE(dialog.chkReport()->isChecked());
    QStringList speeds;
    for (int i = 0; i < dialog.txtSpeed()->count(); ++i)
        speeds << dialog.txtSpeed()->itemText(i);
    EXPECT_EQ(speeds, frmPhoneOptions::SpeedList());
    EXPECT_EQ(speeds.first(), u"4800"_s);
    EXPECT_EQ(speeds.last(), u"460800"_s);

    Click(dialog.cmdOK());
    EXPECT_EQ(settings.values(u"Phone"_s, {u"ComPort"_s, u"ComPortSpeed"_s, u"Period"_s}),
              (QStringList{u"1"_s, u"19200"_s, u"60"_s}));
    EXPECT_EQ(settings.values(u"SMS"_s, {u"SMSC"_s, u"ToLatin"_s, u"Report"_s}),
              (QStringList{u"79xxxxxxxxx"_s, u"0"_s, u"0"_s}));
    const QString text = QString::fromUtf8(settings.bytes());
    EXPECT_EQ(text.count(QLatin1Char('=')), 6) << text.toStdString();
}

TEST(frmPhoneOptionsDialog, OkStoresWhatTheBoxesHoldUnchecked) {
    ScratchSettings settings("[Phone]\nComPort=3\nComPortSpeed=9600\n[SMS]\nToLatin=1\n");
    frmPhoneOptions dialog;
    EXPECT_EQ(dialog.txtPortNumber()->text(), u"3"_s);
    EXPECT_EQ(dialog.txtSpeed()->currentText(), u"9600"_s);
    EXPECT_TRUE(dialog.chkLatin()->isChecked());

    dialog.txtPortNumber()->clear();
    QTest::keyClicks(dialog.txtPortNumber(), u"/dev/ttyUSB0"_s);
    dialog.txtSpeed()->clearEditText();
    QTest::keyClicks(dialog.txtSpeed(), u"12345"_s);
    dialog.txtPeriod()->clear();
    QTest::keyClicks(dialog.txtPeriod(), u"abc"_s);
    Click(dialog.chkLatin());
    Click(dialog.chkReport());
    Click(dialog.cmdOK());

    EXPECT_EQ(settings.values(u"Phone"_s, {u"ComPort"_s, u"ComPortSpeed"_s, u"Period"_s}),
              (QStringList{u"/dev/ttyUSB0"_s, u"12345"_s, u"abc"_s}));
    EXPECT_EQ(settings.values(u"SMS"_s, {u"ToLatin"_s, u"Report"_s}),
              (QStringList{u"0"_s, u"1"_s}));
}

TEST(frmPhoneOptionsDialog, CancelWritesNothing) {
    const QByteArray original("[Phone]\nComPort=3\n");
    ScratchSettings settings(original);
    frmPhoneOptions dialog;
    QTest::keyClicks(dialog.txtPeriod(), u"0"_s);
    Click(dialog.chkReport());
    Click(dialog.cmdCancel());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(settings.bytes(), original);
}

TEST(frmAboutBox, ShowsTheProjectVersionAsThreeNumbersAndClosesWithOk) {
    frmAbout about;
    const QString expected = VersionText(QStringLiteral(PELORUS_VERSION));
    EXPECT_TRUE(QRegularExpression(u"^\\d+\\.\\d+\\.\\d+$"_s).match(expected).hasMatch());
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
    EXPECT_EQ(FileDialogFilters({u"(*.mdb)"_s, u"*.mdb"_s, u"(*.*)"_s, u"*.*"_s}),
              (QStringList{u"(*.mdb)"_s, u"(*.*)"_s}));
    EXPECT_EQ(FileDialogFilters({u"SQLite"_s, u"*.db"_s}), QStringList{u"SQLite (*.db)"_s});
    EXPECT_TRUE(FileDialogFilters({u"odd"_s}).isEmpty());
}

TEST(frmOptionsDialog, KeepsItsWidthWhileTheDotsButtonsShowAndHide) {
    ScratchSettings settings(kServerSettings);
    frmOptions dialog;
    dialog.show();
    // SQL Server with OLE DB: neither "..." button; then the file button, then the MySQL one.
    ASSERT_TRUE(dialog.cmdOpenFile()->isHidden() && dialog.cmdMySqlODBC()->isHidden());
    const int width = dialog.sizeHint().width();
    Click(dialog.optType(KindAccess));
    ASSERT_FALSE(dialog.cmdOpenFile()->isHidden());
    EXPECT_EQ(dialog.sizeHint().width(), width);
    Click(dialog.optType(KindSqlServer));
    Click(dialog.optDrvType(DriverOdbc));
    AnswerNextModal<frmMySQL>([](frmMySQL* variants) { Click(variants->cmdCancel()); });
    Click(dialog.optType(KindMySql));
    ASSERT_FALSE(dialog.cmdMySqlODBC()->isHidden());
    EXPECT_EQ(dialog.sizeHint().width(), width);
}

TEST(frmPhoneOptionsDialog, PortBoxHoldsAByIdPathAndBothFramesLineUp) {
    ScratchSettings settings;
    frmPhoneOptions dialog;
    dialog.show();
    QApplication::processEvents();
    const QString path = u"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"_s;
    QLineEdit* port = dialog.txtPortNumber();
    EXPECT_GE(port->width() - 8, port->fontMetrics().horizontalAdvance(path));
    const auto left = [&](QWidget* w) { return w->mapTo(&dialog, QPoint(0, 0)).x(); };
    const auto right = [&](QWidget* w) { return left(w) + w->width(); };
    EXPECT_EQ(left(dialog.txtSMSC()), left(port));
    EXPECT_EQ(left(dialog.txtPeriod()), left(port));
    EXPECT_EQ(right(dialog.txtSMSC()), right(port));
}
