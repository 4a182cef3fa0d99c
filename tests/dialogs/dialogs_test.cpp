// The settings dialogs and the information box as widgets, against real settings files. Each row
// of tests/data/dialog_scripts.tsv opens a dialog on its settings, plays the operator's steps
// and checks what the dialog shows, what OK writes and that Cancel writes nothing; the database
// options' enabling routine (OptionsForm, with its position rules and nested clicks) is played
// through frmOptions' buttons.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <memory>

#include "dialogs/OpenFileDialog.h"
#include "dialogs/WidgetTestSupport.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmMySQL.h"
#include "dialogs/frmOptions.h"
#include "dialogs/frmPhoneOptions.h"
#include "testsupport.h"

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

std::unique_ptr<QDialog> Open(const QString& name) {
    if (name == u"frmOptions")
        return std::make_unique<frmOptions>();
    if (name == u"frmPhoneOptions")
        return std::make_unique<frmPhoneOptions>();
    if (name == u"frmMySQL")
        return std::make_unique<frmMySQL>();
    return std::make_unique<frmAbout>();
}

}  // namespace

// Steps: show, click.NAME, type.NAME=TEXT, clear.NAME; file=PATH (what frmOptions' file dialog
// answers); pick=NAME (a file made in the settings folder, chosen in the real file dialog; empty
// cancels it); mysql=VARIANT:ok|cancel (the answer to the next variant dialog; unexpected ones
// are cancelled).
TEST(Dialogs, ScriptsOfTheTable) {
    for (const testsupport::TsvRow& row : testsupport::DataTsv("dialog_scripts.tsv")) {
        SCOPED_TRACE(row["case"].toStdString());
        const QByteArray ini = testsupport::Unescape(row["ini"]).toUtf8();
        ScratchSettings settings(ini == "-" ? QByteArray() : ini);
        std::unique_ptr<QDialog> dialog = Open(row["dialog"]);
        const int width = dialog->sizeHint().width();
        QString asked;
        QStringList answers;
        int variantDialogs = 0;
        QTimer variants;
        variants.callOnTimeout([&] {
            if (auto* shown = qobject_cast<frmMySQL*>(QApplication::activeModalWidget())) {
                ++variantDialogs;
                const QString answer = answers.isEmpty() ? u"-:cancel"_s : answers.takeFirst();
                if (answer.section(u':', 0, 0) != u"-")
                    Click(shown->optMySQL(answer.section(u':', 0, 0).toInt()));
                Click(answer.endsWith(u"ok") ? shown->cmdOK() : shown->cmdCancel());
            }
        });
        variants.start(5);
        for (const QString& step : row["steps"].split(u' ', Qt::SkipEmptyParts)) {
            const QString what = step.section(u'=', 0, 0), value = step.section(u'=', 1);
            auto* widget = dialog->findChild<QWidget*>(what.section(u'.', 1));
            if (what == u"show") {
                dialog->show();
                QApplication::processEvents();
            } else if (what == u"mysql") {
                answers << value;
            } else if (what == u"file") {
                static_cast<frmOptions*>(dialog.get())->openFileDialog =
                    [&asked, value](const QString& folder, const QStringList& filters,
                                    const QString&) {
                        asked = folder + u' ' + filters.join(u',');
                        return value;
                    };
            } else if (what == u"pick") {
                const QString path = settings.folder() + u'/' + value;
                testsupport::WriteBytes(path, "db");
                AnswerNextModal<QFileDialog>([path, value](QFileDialog* files) {
                    files->selectFile(path);
                    QDialog* box = files;  // accept() is public as the dialog's
                    value.isEmpty() ? box->reject() : box->accept();
                });
            } else if (what.startsWith(u"click.")) {
                Click(qobject_cast<QAbstractButton*>(widget));
            } else if (what.startsWith(u"type.")) {
                QTest::keyClicks(widget, value);
            } else if (what.startsWith(u"clear.") && qobject_cast<QComboBox*>(widget)) {
                static_cast<QComboBox*>(widget)->clearEditText();
            } else if (what.startsWith(u"clear.") && qobject_cast<QLineEdit*>(widget)) {
                static_cast<QLineEdit*>(widget)->selectAll();
                QTest::keyClick(widget, Qt::Key_Backspace);
            } else {
                ADD_FAILURE() << "unknown step " << step.toStdString();
            }
        }
        // The option buttons' checks and enablings, the text boxes' enablings and colours.
        QString checked, enabled, boxes, colours;
        for (const QRadioButton* option : dialog->findChildren<QRadioButton*>()) {
            checked += QString::number(option->isChecked());
            enabled += QString::number(option->isEnabled());
        }
        for (const QLineEdit* box : dialog->findChildren<QLineEdit*>()) {
            boxes += QString::number(box->isEnabled());
            colours += widgettest::WidgetFact(dialog.get(), u"base."_s + box->objectName())[0];
        }
        const QHash<QString, QString> facts = {
            {u"checked"_s, checked},
            {u"enabled"_s, enabled},
            {u"boxes"_s, boxes},
            {u"colours"_s, colours.toUpper()},
            {u"exists"_s, QString::number(settings.exists())},
            {u"result"_s, QString::number(dialog->result())},
            {u"visible"_s, QString::number(dialog->isVisible())},
            {u"title"_s, dialog->windowTitle()},
            {u"asked"_s, asked},
            {u"mysql"_s, QString::number(variantDialogs)},
            {u"unchanged"_s, QString::number(settings.bytes() == ini)},
            {u"keys"_s, QString::number(settings.bytes().count('='))},
            {u"widened"_s, QString::number(dialog->sizeHint().width() - width)},
        };
        widgettest::ExpectFacts(row["facts"], settings, [&](const QString& key) {
            return facts.contains(key) ? facts[key] : widgettest::WidgetFact(dialog.get(), key);
        });
    }
}

TEST(frmAboutBox, ShowsTheProjectVersionAsThreeNumbers) {
    frmAbout about;
    const QString expected = VersionText(QStringLiteral(PELORUS_VERSION));
    EXPECT_TRUE(QRegularExpression(u"^\\d+\\.\\d+\\.\\d+$"_s).match(expected).hasMatch());
    EXPECT_EQ(about.lblVersion()->text(), u"Версия "_s + expected);
    EXPECT_FALSE(frmAbout::Description().isEmpty());
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

TEST(frmPhoneOptionsDialog, PortBoxHoldsAByIdPathAndBothFramesLineUp) {
    ScratchSettings settings;
    frmPhoneOptions dialog;
    dialog.show();
    QApplication::processEvents();
    const QString path = u"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"_s;
    QLineEdit* port = dialog.txtPortNumber();
    EXPECT_GE(port->width() - 8, port->fontMetrics().horizontalAdvance(path));
    const auto left = [&](QWidget* w) { return w->mapTo(&dialog, QPoint(0, 0)).x(); };
    EXPECT_EQ(left(dialog.txtSMSC()), left(port));
    EXPECT_EQ(left(dialog.txtPeriod()), left(port));
    EXPECT_EQ(left(dialog.txtSMSC()) + dialog.txtSMSC()->width(), left(port) + port->width());
}
