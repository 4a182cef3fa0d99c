// The main window as a view of the gateway: start, countdown, stop and the close at the next
// tick; the close rules; lamps; menus; the test-message entries against a real SQLite table;
// and one cycle against the virtual modem.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QFontInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTest>
#include <QTranslator>
#include <QTreeView>
#include <cmath>
#include <csignal>

#include "app/Gateway.h"
#include "app/window/GaugeWidgets.h"
#include "app/window/LampPanel.h"
#include "app/window/MessageList.h"
#include "app/window/RussianTranslation.h"
#include "app/window/StopSignal.h"
#include "app/window/frmMain.h"
#include "dialogs/WidgetTestSupport.h"
#include "dialogs/frmPhoneOptions.h"
#include "files/AlarmLamps.h"
#include "modemsim_support.h"
#include "testsupport.h"

using namespace Qt::StringLiterals;
using widgettest::AnswerNextModal;
using widgettest::ScratchSettings;

namespace {

void Set(const QString& sectionKey, const QString& value) {
    WriteINI(INIFileName, sectionKey.section(u'/', 0, 0), sectionKey.section(u'/', 1), value);
}

// A window on a settings file of its own: no phone on the port, logs in the scratch folder.
struct Session {
    Session() {
        Set(u"Phone/ComPort"_s, settings.folder() + u"/no-modem"_s);
        Set(u"Folders/Logs"_s, settings.folder() + u"/Logs"_s);
        QDir().mkpath(settings.folder() + u"/Logs"_s);
    }
    ~Session() {
        if (window)
            window->close();
        window.reset();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(u"window-test"_s);
    }
    void Open() {
        window = std::make_unique<frmMain>(pacer);
        window->Load(settings.folder());
        window->show();
        QObject::connect(&stopSignal, &StopSignal::stopRequested, window.get(),
                         &frmMain::StopRequested);
    }
    void Press() { QTest::mouseClick(window->Command1(), Qt::LeftButton); }
    // What the operator sees of the run: the button's caption, then what is on.
    QString State() const {
        QStringList state = {window->Command1()->text()};
        const std::pair<const char*, bool> flags[] = {
            {"enabled", window->Command1()->isEnabled()},
            {"timer", window->Timer1()->isActive()},
            {"options", window->mnuOptions()->menuAction()->isEnabled()},
            {"message", window->mnuMessage()->menuAction()->isEnabled()},
            {"visible", window->isVisible()}};
        for (const auto& [name, on] : flags) {
            if (on)
                state << QLatin1String(name);
        }
        return state.join(u' ');
    }
    // Answers a test-message entry's two boxes (an empty answer cancels) and notes what they ask.
    void Entry(QAction* item, const QString& number, const QString& text) {
        const auto answer = [this](QInputDialog* box, const QString& value) {
            asked << box->windowTitle() + u": " + box->labelText() + u" [" + box->textValue() +
                         u']';
            box->setTextValue(value);
            value.isEmpty() ? box->reject() : box->accept();
        };
        AnswerNextModal<QInputDialog>([=](QInputDialog* box) {
            AnswerNextModal<QInputDialog>([=](QInputDialog* next) { answer(next, text); }, 300);
            answer(box, number);
        });
        item->trigger();
        QTest::qWait(number.isEmpty() ? 350 : 0);  // time for a text box that must not come
    }
    void Step(const QString& step, QStringList& trace);
    QString Fact(const QString& key);

    ScratchSettings settings;
    VirtualPacer pacer;
    StopSignal stopSignal;
    QSqlDatabase db;
    QStringList asked;
    std::unique_ptr<frmMain> window;
};

class WindowTest : public ::testing::Test, public Session {};

// Steps: press, tick (tick=N: N ticks), close, session (the desktop session ends), sigterm,
// minimise, alarm=GROUP STATE (two digits), dclick=NAME (a double-click on a frame or lamp), info,
// dbase, phone (Cancel there), schema (a SQLite file from the project's schema), send=NUMBER:TEXT
// and receive=NUMBER:TEXT (the test-message entries); soon=A+B runs its steps from the event loop
// of the step after it (while Start's checks run, say). Each step adds the window's state to the
// trace.
void Session::Step(const QString& step, QStringList& trace) {
    const QString what = step.section(u'=', 0, 0), value = step.section(u'=', 1);
    const QString before = State(), number = value.section(u':', 0, 0),
                  text = value.section(u':', 1);
    const int n = value.toInt();
    const std::map<QString, std::function<void()>> steps = {
        {u"press"_s, [&] { Press(); }},
        {u"tick"_s,
         [&] {
             for (int tick = 0; tick < qMax(n, 1); ++tick)
                 window->Timer1_Timer();
         }},
        {u"close"_s, [&] { window->close(); }},
        {u"session"_s, [&] { window->SessionEnding(); }},
        {u"sigterm"_s,
         [&] {
             ::raise(SIGTERM);
             for (int i = 0; i < 20 && State() == before; ++i)
                 QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
         }},
        {u"minimise"_s, [&] { window->showMinimized(); }},
        {u"alarm"_s, [&] { window->gateway().Lamps().SetAlarm(n / 10, n % 10); }},
        {u"dclick"_s,
         [&] {
             QTest::mouseDClick(window->findChild<QWidget*>(value), Qt::LeftButton, {}, {4, 4});
         }},
        {u"info"_s, [&] { window->itmInfo()->trigger(); }},
        {u"dbase"_s, [&] { window->itmDBase()->trigger(); }},
        {u"phone"_s,
         [&] {
             AnswerNextModal<frmPhoneOptions>([this](frmPhoneOptions* dialog) {
                 asked << dialog->windowTitle();
                 dialog->cmdCancel()->click();
             });
             window->itmPhone()->trigger();
         }},
        {u"schema"_s,
         [&] {
             db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"window-test"_s);
             db.setDatabaseName(settings.folder() + u"/sms.db"_s);
             ASSERT_TRUE(db.open());
             for (const QString& statement : testsupport::SchemaStatements(u"sqlite.sql"_s))
                 ASSERT_TRUE(QSqlQuery(db).exec(statement)) << statement.toStdString();
         }},
        {u"send"_s, [&] { Entry(window->itmAddToSend(), number, text); }},
        {u"receive"_s, [&] { Entry(window->itmAddToReceive(), number, text); }},
    };
    if (what == u"soon") {
        QTimer::singleShot(0, window.get(), [this, value, &trace] {
            for (const QString& inner : value.split(u'+'))
                Step(inner, trace);
        });
        return;
    }
    ASSERT_TRUE(steps.count(what)) << "unknown step " << step.toStdString();
    steps.at(what)();
    trace << State();
}

// Facts: lamps (the six colours), others (the other windows shown, "modal" marked), asked (the
// modal boxes answered), starts (the phone's checks begun, as logged), minimised, captions (of
// the menus and the lamp panel), bars (of the signal gauge), interval (the timer's, ms), rows.TABLE
// (Number|SmsMessage of each row), and a widget's facts as WidgetFact gives them (text.stbar,
// placed.Command1, ...).
QString Session::Fact(const QString& key) {
    QStringList found;
    if (key == u"lamps") {
        for (int lamp = 0; lamp < AlarmLamps::kLamps; ++lamp)
            found << QString::number(window->Lamps()->LampColour(lamp), 16);
    } else if (key == u"others") {
        for (const QWidget* other : QApplication::topLevelWidgets()) {
            if (other != window.get() && other->isVisible())
                found << other->windowTitle() + (other->isModal() ? u" modal"_s : QString());
        }
        found.sort();
    } else if (key == u"starts") {
        const QDir logs(settings.folder() + u"/Logs"_s);
        int starts = 0;
        for (const QString& name : logs.entryList(QDir::Files))
            starts += testsupport::ReadBytes(logs.filePath(name)).count("Code: 100");
        found << QString::number(starts);
    } else if (key == u"captions") {
        for (QMenu* menu : {window->mnuOptions(), window->mnuProgram(), window->mnuMessage()}) {
            found << menu->title();
            for (const QAction* item : menu->actions())
                found << item->text();
        }
        found << window->Lamps()->title();
    } else if (key.startsWith(u"rows.")) {
        QSqlQuery q(db);
        q.exec(u"SELECT Number, SmsMessage FROM "_s + key.mid(5));
        while (q.next())
            found << q.value(0).toString() + u'|' + q.value(1).toString();
    }
    if (key.contains(u'.') && !key.startsWith(u"rows.")) {
        QApplication::processEvents();  // the layouts settle
        return widgettest::WidgetFact(window.get(), key);
    }
    const QHash<QString, QString> simple = {
        {u"asked"_s, asked.join(u" / ")},
        {u"minimised"_s, QString::number(window->isMinimized())},
        {u"interval"_s, QString::number(window->Timer1()->interval())},
        {u"bars"_s, QString::number(window->Antenna()->look().bars)}};
    return simple.value(key, found.join(u", "));
}

}  // namespace

// A row of tests/data/window_scripts.tsv: settings (Section/Key=value;..., $folder the scratch
// folder), steps, the trace of states (parted by " / ", the first at the opening) and facts.
TEST(Window, ScriptsOfTheTable) {
    for (const testsupport::TsvRow& row : testsupport::DataTsv("window_scripts.tsv")) {
        SCOPED_TRACE(row["case"].toStdString());
        Session session;
        for (const QString& setting : row["settings"].split(u';', Qt::SkipEmptyParts)) {
            Set(setting.section(u'=', 0, 0),
                setting.section(u'=', 1).replace(u"$folder"_s, session.settings.folder()));
        }
        session.Open();
        QStringList trace = {session.State()};
        for (const QString& step : row["steps"].split(u' ', Qt::SkipEmptyParts))
            session.Step(step, trace);
        EXPECT_EQ(trace.join(u" / ").toStdString(), row["trace"].toStdString());
        widgettest::ExpectFacts(row["facts"], session.settings,
                                [&](const QString& key) { return session.Fact(key); });
    }
}

TEST_F(WindowTest, ACycleAgainstTheVirtualModemFillsTheGaugesAndTheReceivedList) {
    QStringList inbox;
    for (const testsupport::TsvRow& row :
         testsupport::ReadTsv(testsupport::SharedDir() + u"/peer-pdus/vectors.tsv"_s)) {
        if (row["kind"] == u"deliver" && inbox.size() < 2 && row["number"].startsWith(u'+'))
            inbox << row["pdu"];
    }
    testsupport::ModemSim modem;
    ASSERT_TRUE(inbox.size() == 2 && modem.start({}, inbox));
    Set(u"Phone/ComPort"_s, modem.link());
    Set(u"Phone/Period"_s, u"1"_s);
    // No database: the messages stay in the list and in the phone.
    Set(u"Server/SbType"_s, u"2"_s);
    Open();
    // The phone's centre differs from the settings' default: the question comes; No keeps the
    // settings.
    auto asked = AnswerNextModal<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), u"Несовпадение номера SMS центра!"_s);
        box->button(QMessageBox::No)->click();
    });
    Press();
    EXPECT_TRUE(*asked);
    EXPECT_EQ(settings.value(u"SMS"_s, u"SMSC"_s), u"<missing>"_s);
    EXPECT_TRUE(window->stbar()->text().startsWith(u"Найден телефон: '"_s));
    EXPECT_EQ(window->Battery()->lblBat()->text(), u"85"_s);
    EXPECT_EQ(window->Antenna()->look().bars, 5);

    window->Timer1_Timer();
    EXPECT_EQ(window->stbar()->text(), u"Невозможно установить соединение с сервером"_s);
    const QStringList lines = window->List1Model()->Lines();
    EXPECT_EQ(lines.filter(QRegularExpression(u"^2.*\tFalse\t"_s)).size(), 2)
        << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.size(), 2);
    EXPECT_EQ(State(), u"Стоп enabled timer message visible"_s);
}

// At the window's minimum size with 1,200 records whose IDs have 1 to 6 digits, every value fits
// its column under its heading, the header is the list's own, and the longest text can be read.
TEST_F(WindowTest, ListsKeepTheirColumnsForAnyIdWidthAtTheMinimumSize) {
    Open();
    window->resize(window->minimumSizeHint());
    QStringList lines;
    for (int i = 0; i < 1200; ++i)
        lines << QString::number(qint64(std::pow(10, i % 6)) + i / 6) +
                     u"\tTrue\t05.11.10 12:34:56\t+79161234567 Отчет "_s + QString(i, u'x');
    window->showReceived(lines);
    window->showSending(lines);
    EXPECT_EQ(window->List2Model()->Lines(), lines);
    for (QTreeView* list : {window->List1(), window->List2()}) {
        const QAbstractItemModel* model = list->model();
        QHeaderView* header = list->header();
        EXPECT_TRUE(header->parentWidget() == list && header->isVisibleTo(window.get()) &&
                    QFontInfo(list->font()).fixedPitch());
        EXPECT_GT(list->viewport()->height(), 3 * list->sizeHintForRow(0));
        list->scrollToBottom();
        QApplication::processEvents();
        for (int row = 0; row < model->rowCount(); ++row) {
            for (int c = 0; c < model->columnCount(); ++c) {
                const QModelIndex index = model->index(row, c);
                ASSERT_LE(list->fontMetrics().horizontalAdvance(index.data().toString()) +
                              ColumnPadding(list),
                          header->sectionSize(c));
                if (row == model->rowCount() - 1) {
                    EXPECT_EQ(list->visualRect(index).left(), header->sectionViewportPosition(c));
                }
            }
        }
        EXPECT_TRUE(
            model->index(1199, 0).data(Qt::ToolTipRole).toString().endsWith(QString(1199, u'x')));
    }
}

// Qt's own buttons and the open-file dialog speak Russian with Qt's translation loaded.
TEST(RussianTranslation, QtsOwnDialogsSpeakRussian) {
    QTranslator* russian = InstallRussianTranslation(*QCoreApplication::instance());
    ASSERT_NE(russian, nullptr) << "qtbase_ru.qm of qt6-translations-l10n is missing";
    QMessageBox question(QMessageBox::Question, {}, {}, QMessageBox::Yes | QMessageBox::Cancel);
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    const QStringList shown = {question.button(QMessageBox::Yes)->text(),
                               question.button(QMessageBox::Cancel)->text(),
                               widgettest::WidgetFact(&files, u"text.lookInLabel"_s)};
    QCoreApplication::removeTranslator(russian);
    delete russian;
    EXPECT_EQ(shown, QStringList({u"&Да"_s, u"Отмена"_s, u"Перейти к:"_s}));
}
