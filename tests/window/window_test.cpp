// The main window as a view of the gateway: start, countdown, stop and the close at the next
// tick; the close rules; lamps; menus; the test-message entries against a real SQLite table;
// and one cycle against the virtual modem.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>
#include <cmath>
#include <csignal>
#include <memory>

#include "app/Gateway.h"
#include "app/window/GaugeWidgets.h"
#include "app/window/LampPanel.h"
#include "app/window/MessageList.h"
#include "app/window/RussianTranslation.h"
#include "app/window/StopSignal.h"
#include "app/window/frmMain.h"
#include "dialogs/WidgetTestSupport.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmOptions.h"
#include "dialogs/frmPhoneOptions.h"
#include "files/AlarmLamps.h"
#include "modemsim_support.h"
#include "settings/Ini.h"
#include "testsupport.h"

using widgettest::AnswerNextModal;
using widgettest::ScratchSettings;

namespace {

void Set(const char* section, const char* key, const QString& value) {
    WriteINI(INIFileName, QString::fromLatin1(section), QString::fromLatin1(key), value);
}

// A window on a settings file of its own: no phone on the port, logs in the scratch folder.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Set("Phone", "ComPort", QDir(settings.folder()).filePath(QStringLiteral("no-modem")));
        Set("Folders", "Logs", LogFolder());
        QDir().mkpath(LogFolder());
    }
    void TearDown() override {
        if (window)
            window->close();
        window.reset();
    }

    void Open() {
        window = std::make_unique<frmMain>(pacer);
        window->Load(settings.folder());
        window->show();
    }
    QString LogFolder() const { return QDir(settings.folder()).filePath(QStringLiteral("Logs")); }
    QString LogText() const {
        QString all;
        for (const QString& name : QDir(LogFolder()).entryList(QDir::Files))
            all += QString::fromUtf8(testsupport::ReadBytes(QDir(LogFolder()).filePath(name)));
        return all;
    }
    void Press() { QTest::mouseClick(window->Command1(), Qt::LeftButton); }
    bool MenuEnabled(QMenu* menu) const { return menu->menuAction()->isEnabled(); }

    ScratchSettings settings;
    VirtualPacer pacer;
    std::unique_ptr<frmMain> window;
};

}  // namespace

TEST_F(WindowTest, LoadShowsAnIdleWindowWithFullGaugesAndItsMenus) {
    Open();
    EXPECT_EQ(window->Command1()->text(), QStringLiteral("Старт"));
    EXPECT_TRUE(window->Command1()->isEnabled());
    EXPECT_FALSE(window->Timer1()->isActive());
    EXPECT_EQ(window->Timer1()->interval(), 1000);
    EXPECT_TRUE(MenuEnabled(window->mnuOptions()));
    EXPECT_TRUE(MenuEnabled(window->mnuProgram()));
    EXPECT_FALSE(MenuEnabled(window->mnuMessage()));
    EXPECT_EQ(window->Battery()->lblBat()->text(), QStringLiteral("100"));
    EXPECT_EQ(window->Antenna()->look().bars, 7);
    EXPECT_EQ(window->List1Model()->rowCount(), 0);
    EXPECT_EQ(window->List2Model()->rowCount(), 0);
    EXPECT_TRUE(window->gateway().CloseAllowed());

    EXPECT_EQ(window->mnuOptions()->title(), QStringLiteral("Настройка"));
    EXPECT_EQ(window->itmDBase()->text(), QStringLiteral("База данных"));
    EXPECT_EQ(window->itmPhone()->text(), QStringLiteral("Телефон"));
    EXPECT_EQ(window->mnuProgram()->title(), QStringLiteral("Программа"));
    EXPECT_EQ(window->itmInfo()->text(), QStringLiteral("Инфо"));
    EXPECT_EQ(window->mnuMessage()->title(), QStringLiteral("Сообщение"));
    EXPECT_EQ(window->itmAddToSend()->text(), QStringLiteral("Добавить в 'Send'"));
    EXPECT_EQ(window->itmAddToReceive()->text(), QStringLiteral("Добавить в 'Receive'"));
    EXPECT_EQ(window->Lamps()->title(), QStringLiteral("Аварии"));
    EXPECT_EQ(window->Lamps()->Frame1(1)->title(), QStringLiteral("Телефон"));
}

TEST_F(WindowTest, StartCountsDownAndStopClosesAtTheNextTick) {
    Open();
    Press();
    // No phone on the port: the gateway runs all the same.
    EXPECT_EQ(window->stbar()->text(), QStringLiteral("Порт не открыт!"));
    EXPECT_EQ(window->Command1()->text(), QStringLiteral("Стоп"));
    EXPECT_TRUE(window->Timer1()->isActive());
    EXPECT_FALSE(MenuEnabled(window->mnuOptions()));
    EXPECT_TRUE(MenuEnabled(window->mnuMessage()));
    EXPECT_TRUE(LogText().contains(QStringLiteral("Code: 100")));

    window->Timer1_Timer();
    EXPECT_EQ(window->stbar()->text(), QStringLiteral("До подключения осталось: 59"));
    window->Timer1_Timer();
    EXPECT_EQ(window->stbar()->text(), QStringLiteral("До подключения осталось: 58"));

    // The close box is refused while running.
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Timer1()->isActive());

    Press();
    EXPECT_FALSE(window->Command1()->isEnabled());
    EXPECT_TRUE(MenuEnabled(window->mnuOptions()));
    EXPECT_FALSE(MenuEnabled(window->mnuMessage()));
    EXPECT_TRUE(window->isVisible());

    window->Timer1_Timer();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Timer1()->isActive());
    EXPECT_EQ(window->stbar()->text(), QStringLiteral("До подключения осталось: 58"));
}

TEST_F(WindowTest, IdleCloseGoesThroughAndClosesTheOtherWindows) {
    Open();
    window->itmInfo()->trigger();
    window->itmDBase()->trigger();
    QPointer<frmAbout> about = window->OpenAbout();
    QPointer<frmOptions> options = window->OpenOptions();
    ASSERT_TRUE(about && about->isVisible());
    ASSERT_TRUE(options && options->isVisible());
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(!about || !about->isVisible());
    EXPECT_TRUE(!options || !options->isVisible());
}

TEST_F(WindowTest, TheEndingSessionClosesAWindowThatRuns) {
    Open();
    Press();
    ASSERT_TRUE(window->gateway().IsRunning());
    window->SessionEnding();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Timer1()->isActive());
}

TEST_F(WindowTest, LampRaisedTwiceThenSuccessThenFrameDoubleClick) {
    Open();
    AlarmLamps& lamps = window->gateway().Lamps();
    lamps.SetAlarm(AlarmPhone, AlarmRaised);
    lamps.SetAlarm(AlarmPhone, AlarmRaised);
    lamps.SetAlarm(AlarmPhone, AlarmSuccess);
    EXPECT_EQ(window->Lamps()->LampColour(2), AlarmLamps::kGreen);
    EXPECT_EQ(window->Lamps()->LampColour(3), AlarmLamps::kRed);

    QTest::mouseDClick(window->Lamps()->Frame1(1), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(window->Lamps()->LampColour(2), AlarmLamps::kGreen);
    EXPECT_EQ(window->Lamps()->LampColour(3), AlarmLamps::kGreen);

    // A double-click on a lamp is the frame's too; other groups keep their lamps.
    lamps.SetAlarm(AlarmDatabase, AlarmRaised);
    lamps.SetAlarm(AlarmFiles, AlarmRaised);
    QWidget* lamp0 = window->Lamps()->findChild<QWidget*>(QStringLiteral("AlAdo_0"));
    ASSERT_NE(lamp0, nullptr);
    QTest::mouseDClick(lamp0, Qt::LeftButton);
    EXPECT_EQ(window->Lamps()->LampColour(1), AlarmLamps::kGreen);
    EXPECT_EQ(window->Lamps()->LampColour(5), AlarmLamps::kRed);
}

TEST_F(WindowTest, AnAlarmRestoresAMinimisedWindow) {
    Open();
    window->showMinimized();
    ASSERT_TRUE(window->isMinimized());
    window->gateway().Lamps().SetAlarm(AlarmFiles, AlarmRaised);
    EXPECT_FALSE(window->isMinimized());
}

TEST_F(WindowTest, MenusOpenTheDialogs) {
    Open();
    window->itmDBase()->trigger();
    frmOptions* first = window->OpenOptions();
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->isModal());
    window->itmDBase()->trigger();
    EXPECT_EQ(window->OpenOptions(), first);

    auto answered = AnswerNextModal<frmPhoneOptions>(
        [](frmPhoneOptions* dialog) { QTest::mouseClick(dialog->cmdCancel(), Qt::LeftButton); });
    window->itmPhone()->trigger();
    EXPECT_TRUE(*answered);
}

namespace {

// The window with a SQLite database made from the project's schema.
class TestMessageTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        dbPath = QDir(settings.folder()).filePath(QStringLiteral("sms.db"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kCheck);
            db.setDatabaseName(dbPath);
            ASSERT_TRUE(db.open());
            const QStringList statements =
                testsupport::SchemaStatements(QStringLiteral("sqlite.sql"));
            ASSERT_FALSE(statements.isEmpty());
            for (const QString& statement : statements)
                ASSERT_TRUE(QSqlQuery(db).exec(statement)) << statement.toStdString();
        }
        Set("Server", "SbType", QStringLiteral("6"));
        Set("Server", "DbName", dbPath);
        Open();
        Press();  // the test entries are offered while the gateway runs
    }
    void TearDown() override {
        WindowTest::TearDown();
        QSqlDatabase::removeDatabase(kCheck);
    }

    QStringList Rows(const QString& table) const {
        QSqlDatabase db = QSqlDatabase::database(kCheck);
        QSqlQuery q(db);
        QStringList rows;
        if (!q.exec(QStringLiteral("SELECT Number, SmsMessage FROM ") + table))
            return {QStringLiteral("<no table>")};
        while (q.next())
            rows << q.value(0).toString() + QLatin1Char('|') + q.value(1).toString();
        return rows;
    }

    // Answers the next input box after checking what it asks.
    static std::shared_ptr<bool> Answer(const QString& title, const QString& prompt,
                                        const QString& initial, const QString& answer,
                                        std::function<void()> then = {}) {
        return AnswerNextModal<QInputDialog>([=](QInputDialog* box) {
            EXPECT_EQ(box->windowTitle(), title);
            EXPECT_EQ(box->labelText(), prompt);
            EXPECT_EQ(box->textValue(), initial);
            if (then)
                then();
            box->setTextValue(answer);
            box->accept();
        });
    }

    static constexpr const char* kCheck = "window-test-check";
    QString dbPath;
};

const QString kNumberPrompt = QStringLiteral("Ведите номер телефона");
const QString kTextPrompt = QStringLiteral("Ведите текст сообщения");

}  // namespace

TEST_F(TestMessageTest, AddToSendAndToReceiveWriteTheirRows) {
    const QString sendTitle = QStringLiteral("Запись сообщения в таблицу 'На отправку'");
    std::shared_ptr<bool> second;
    auto first = Answer(sendTitle, kNumberPrompt, QStringLiteral("79xxxxxxxxx"),
                        QStringLiteral("79161234567"), [&] {
                            second = Answer(sendTitle, kTextPrompt, QStringLiteral("Test message"),
                                            QStringLiteral("Привет"));
                        });
    window->itmAddToSend()->trigger();
    EXPECT_TRUE(*first);
    ASSERT_TRUE(second && *second);
    EXPECT_EQ(Rows(QStringLiteral("Send")), QStringList{QStringLiteral("79161234567|Привет")});

    const QString receiveTitle = QStringLiteral("Запись сообщения в таблицу 'Принятые'");
    first = Answer(receiveTitle, kNumberPrompt, QStringLiteral("+79xxxxxxxxx"),
                   QStringLiteral("+79160000000"), [&] {
                       second = Answer(receiveTitle, kTextPrompt,
                                       QStringLiteral("Received test message"),
                                       QStringLiteral("Received test message"));
                   });
    window->itmAddToReceive()->trigger();
    ASSERT_TRUE(second && *second);
    EXPECT_EQ(Rows(QStringLiteral("Receive")),
              QStringList{QStringLiteral("+79160000000|Received test message")});
}

TEST_F(TestMessageTest, AnEmptyAnswerEndsTheDialogueWithoutWriting) {
    // An empty number: the text is never asked.
    auto askedText = std::make_shared<bool>(false);
    auto first = Answer(QStringLiteral("Запись сообщения в таблицу 'На отправку'"), kNumberPrompt,
                        QStringLiteral("79xxxxxxxxx"), QString(), [askedText] {
                            // Reports a second box, should one come, and closes it.
                            auto seen = AnswerNextModal<QInputDialog>(
                                [askedText](QInputDialog* box) {
                                    *askedText = true;
                                    box->reject();
                                },
                                300);
                            (void)seen;
                        });
    window->itmAddToSend()->trigger();
    EXPECT_TRUE(*first);
    QTest::qWait(350);
    EXPECT_FALSE(*askedText);

    // Cancel on the text.
    first = AnswerNextModal<QInputDialog>([](QInputDialog* box) {
        box->setTextValue(QStringLiteral("79161234567"));
        box->accept();
        AnswerNextModal<QInputDialog>([](QInputDialog* text) { text->reject(); });
    });
    window->itmAddToReceive()->trigger();
    EXPECT_TRUE(*first);

    EXPECT_TRUE(Rows(QStringLiteral("Send")).isEmpty());
    EXPECT_TRUE(Rows(QStringLiteral("Receive")).isEmpty());
}

TEST_F(WindowTest, ACycleAgainstTheVirtualModemFillsTheGaugesAndTheReceivedList) {
    QStringList inbox;
    for (const testsupport::TsvRow& row : testsupport::ReadTsv(
             testsupport::SharedDir() + QStringLiteral("/peer-pdus/vectors.tsv"))) {
        if (row[QStringLiteral("kind")] == QLatin1String("deliver") && inbox.size() < 2 &&
            row[QStringLiteral("number")].startsWith(QLatin1Char('+')))
            inbox << row[QStringLiteral("pdu")];
    }
    ASSERT_EQ(inbox.size(), 2);
    testsupport::ModemSim modem;
    ASSERT_TRUE(modem.start({}, inbox));
    Set("Phone", "ComPort", modem.link());
    Set("Phone", "Period", QStringLiteral("1"));
    // No database: the messages stay in the list and in the phone.
    Set("Server", "SbType", QStringLiteral("2"));
    Open();
    // The phone's centre differs from the settings' default: the question comes; No keeps the
    // settings.
    auto asked = AnswerNextModal<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Несовпадение номера SMS центра!"));
        box->button(QMessageBox::No)->click();
    });
    Press();
    EXPECT_TRUE(*asked);
    EXPECT_EQ(settings.value(QStringLiteral("SMS"), QStringLiteral("SMSC")),
              QStringLiteral("<missing>"));
    EXPECT_TRUE(window->stbar()->text().startsWith(QStringLiteral("Найден телефон: '")));
    EXPECT_EQ(window->Battery()->lblBat()->text(), QStringLiteral("85"));
    EXPECT_EQ(window->Antenna()->look().bars, 5);

    window->Timer1_Timer();
    EXPECT_EQ(window->stbar()->text(),
              QStringLiteral("Невозможно установить соединение с сервером"));
    const QStringList lines = window->List1Model()->Lines();
    ASSERT_EQ(lines.size(), 2);
    for (const QString& line : lines) {
        EXPECT_TRUE(line.startsWith(QLatin1Char('2'))) << line.toStdString();
        EXPECT_TRUE(line.contains(QStringLiteral("\tFalse\t"))) << line.toStdString();
    }
    EXPECT_TRUE(window->Command1()->isEnabled());
    EXPECT_TRUE(window->Timer1()->isActive());
}

// During Start's checks a close waits for them (it would free the services under them), then is
// refused as the gateway runs; the button is disabled, so the checks run once.
TEST_F(WindowTest, CloseAndASecondStartDuringStartsChecksNeitherFreeNorNest) {
    Open();
    bool enabledOrClosed = false;
    QTimer::singleShot(0, window.get(), [&] {
        enabledOrClosed = window->Command1()->isEnabled();
        window->Command1()->click();
        enabledOrClosed |= window->close();
    });
    Press();
    EXPECT_FALSE(enabledOrClosed);
    EXPECT_EQ(LogText().count(QStringLiteral("Code: 100")), 1);
    EXPECT_TRUE(window->isVisible() && window->gateway().IsRunning());
    EXPECT_TRUE(window->Command1()->isEnabled());
}

// Stop and a close while a re-initialisation checks the phone again: the close waits for the tick
// (it would free the phone under the checks), then goes through.
TEST_F(WindowTest, StopAndCloseDuringAReinitialisationWaitForIt) {
    Set("Phone", "Period", QStringLiteral("6"));
    Set("Reinit", "Period", QStringLiteral("2"));
    Open();
    Press();
    for (int tick = 0; tick < 6; ++tick)  // the re-initialisation comes at the seventh
        window->Timer1_Timer();
    QTimer::singleShot(0, window.get(), [this] {
        Press();
        window->close();
    });
    window->Timer1_Timer();
    EXPECT_EQ(LogText().count(QStringLiteral("Code: 100")),
              3);  // Start, the cycle, the re-initialisation
    EXPECT_FALSE(window->isVisible());
}

// SIGTERM closes an idle window; a running one stops and closes at the next tick.
TEST_F(WindowTest, SigtermIsStop) {
    for (const bool running : {false, true}) {
        Open();
        StopSignal signal;
        QObject::connect(&signal, &StopSignal::stopRequested, window.get(),
                         &frmMain::StopRequested);
        if (running)
            Press();
        ::raise(SIGTERM);
        for (int i = 0; i < 20 && window->isVisible() && window->gateway().IsRunning() == running;
             ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_EQ(window->isVisible(), running);
        window->Timer1_Timer();
        EXPECT_FALSE(window->isVisible());
    }
}

// At the window's minimum size with 1,200 records whose IDs have 1 to 6 digits, every value fits
// its column under its heading, the header is the list's own, and the longest text can be read.
TEST_F(WindowTest, ListsKeepTheirColumnsForAnyIdWidthAtTheMinimumSize) {
    Open();
    window->resize(window->minimumSizeHint());
    QStringList lines;
    for (int i = 0; i < 1200; ++i)
        lines << QString::number(qint64(std::pow(10, i % 6)) + i / 6) +
                     QStringLiteral("\tTrue\t05.11.10 12:34:56\t+79161234567 Отчет ") +
                     QString(i, QLatin1Char('x'));
    window->showReceived(lines);
    window->showSending(lines);
    for (QTreeView* list : {window->List1(), window->List2()}) {
        const QAbstractItemModel* model = list->model();
        QHeaderView* header = list->header();
        EXPECT_TRUE(header->parentWidget() == list && header->isVisibleTo(window.get()));
        EXPECT_TRUE(QFontInfo(list->font()).fixedPitch());
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
        EXPECT_TRUE(model->index(1199, 0)
                        .data(Qt::ToolTipRole)
                        .toString()
                        .endsWith(QString(1199, QLatin1Char('x'))));
    }
    EXPECT_EQ(window->List2Model()->Lines(), lines);
}

// Qt's own buttons and the open-file dialog speak Russian with Qt's translation loaded.
TEST(RussianTranslation, QtsOwnDialogsSpeakRussian) {
    QTranslator* russian = InstallRussianTranslation(*QCoreApplication::instance());
    ASSERT_NE(russian, nullptr) << "qtbase_ru.qm of qt6-translations-l10n is missing";
    QMessageBox question(QMessageBox::Question, QString(), QString(),
                         QMessageBox::Yes | QMessageBox::Cancel);
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    const QLabel* lookIn = files.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    const QStringList shown = {question.button(QMessageBox::Yes)->text(),
                               question.button(QMessageBox::Cancel)->text(),
                               lookIn ? lookIn->text() : QString()};
    QCoreApplication::removeTranslator(russian);
    delete russian;
    EXPECT_EQ(shown, QStringList({QStringLiteral("&Да"), QStringLiteral("Отмена"),
                                  QStringLiteral("Перейти к:")}));
}
