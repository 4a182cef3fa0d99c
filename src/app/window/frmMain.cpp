#include "app/window/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/Gateway.h"
#include "app/window/GaugeWidgets.h"
#include "app/window/LampPanel.h"
#include "app/window/MessageList.h"
#include "db/AdoClass.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmOptions.h"
#include "dialogs/frmPhoneOptions.h"

namespace {

constexpr int kTimerIntervalMs = 1000;

// A modeless dialog is made once and brought to the front while it is open.
template <class Dialog>
void ShowModeless(QPointer<Dialog>& dialog, QWidget* owner) {
    if (!dialog) {
        dialog = new Dialog(owner);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

}  // namespace

QString StartCaption() {
    return QStringLiteral("Старт");
}
QString StopCaption() {
    return QStringLiteral("Стоп");
}

frmMain::frmMain(Pacer& pacer, const Clock& clock) {
    setWindowTitle(QStringLiteral("Pelorus"));
    BuildMenus();
    BuildBody();
    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kTimerIntervalMs);
    connect(timer1_, &QTimer::timeout, this, &frmMain::Timer1_Timer);
    connect(command1_, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(lamps_, &LampPanel::Frame1_DblClick, this, &frmMain::Frame1_DblClick);
    connect(qApp, &QGuiApplication::commitDataRequest, this, &frmMain::SessionEnding);

    gateway_ = std::make_unique<Gateway>(*this, pacer, clock);
    resize(980, 600);
}

frmMain::~frmMain() = default;

frmOptions* frmMain::OpenOptions() const {
    return options_;
}
frmAbout* frmMain::OpenAbout() const {
    return about_;
}

void frmMain::BuildMenus() {
    mnuOptions_ = menuBar()->addMenu(QStringLiteral("Настройка"));
    itmDBase_ =
        mnuOptions_->addAction(QStringLiteral("База данных"), this, &frmMain::itmDBase_Click);
    itmPhone_ = mnuOptions_->addAction(QStringLiteral("Телефон"), this, &frmMain::itmPhone_Click);
    mnuProgram_ = menuBar()->addMenu(QStringLiteral("Программа"));
    itmInfo_ = mnuProgram_->addAction(QStringLiteral("Инфо"), this, &frmMain::itmInfo_Click);
    mnuMessage_ = menuBar()->addMenu(QStringLiteral("Сообщение"));
    itmAddToSend_ = mnuMessage_->addAction(QStringLiteral("Добавить в 'Send'"), this,
                                           &frmMain::itmAddToSend_Click);
    itmAddToReceive_ = mnuMessage_->addAction(QStringLiteral("Добавить в 'Receive'"), this,
                                              &frmMain::itmAddToReceive_Click);
    mnuMessage_->menuAction()->setEnabled(false);
}

void frmMain::BuildBody() {
    auto* body = new QWidget(this);
    auto* columns = new QHBoxLayout(body);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    auto* lists = new QVBoxLayout;
    list1Model_ = new MessageListModel(ReceivedHeadings(), this);
    list2Model_ = new MessageListModel(SendingHeadings(), this);
    list1_ = MessageListView(list1Model_, fixed, body);
    list1_->setObjectName(QStringLiteral("List1"));
    list2_ = MessageListView(list2Model_, fixed, body);
    list2_->setObjectName(QStringLiteral("List2"));
    lists->addWidget(new QLabel(QStringLiteral("Принятые сообщения:"), body));
    lists->addWidget(list1_, 1);
    lists->addWidget(new QLabel(QStringLiteral("Сообщения на отправку:"), body));
    lists->addWidget(list2_, 1);
    columns->addLayout(lists, 1);

    auto* side = new QVBoxLayout;
    battery_ = new BatteryGauge(body);
    antenna_ = new AntennaGauge(body);
    lamps_ = new LampPanel(body);
    command1_ = new QPushButton(StartCaption(), body);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setMinimumHeight(40);
    side->addWidget(battery_);
    side->addWidget(antenna_);
    side->addWidget(lamps_);
    side->addStretch(1);
    side->addWidget(command1_);
    columns->addLayout(side);
    setCentralWidget(body);

    stbar_ = new QLabel(this);
    stbar_->setObjectName(QStringLiteral("stbar"));
    statusBar()->addWidget(stbar_, 1);
}

void frmMain::Load(const QString& appFolder) {
    gateway_->Load(appFolder);
    showLamps(gateway_->Lamps());
}

void frmMain::Command1_Click() {
    const QString caption = command1_->text();
    if (caption == StartCaption()) {
        // No second Start while the checks run (their waits let clicks through).
        command1_->setEnabled(false);
        // A phone that did not answer restores the window (the gateway asks for it); the
        // gateway runs all the same and tries the phone again every period.
        RunStep([this] { gateway_->Start(); });
        if (shutDown_)
            return;
        command1_->setEnabled(true);
        timer1_->start();
        command1_->setText(StopCaption());
        mnuOptions_->menuAction()->setEnabled(false);
        mnuMessage_->menuAction()->setEnabled(true);
        if (stopPending_)
            Stop();
    } else if (caption == StopCaption()) {
        Stop();
    }
}

// The next tick closes the window; there is no way back to idle.
void frmMain::Stop() {
    command1_->setEnabled(false);
    gateway_->Stop();
    mnuOptions_->menuAction()->setEnabled(true);
    mnuMessage_->menuAction()->setEnabled(false);
}

void frmMain::StopRequested() {
    if (shutDown_)
        return;
    if (command1_->text() == StopCaption()) {
        // Also during a cycle: the gateway ends it early and the next tick closes the window.
        Stop();
    } else if (stepDepth_ > 0) {
        stopPending_ = true;  // Start's checks run; the stop follows them
    } else {
        close();
    }
}

void frmMain::RunStep(const std::function<void()>& step) {
    ++stepDepth_;
    step();
    --stepDepth_;
    if (stepDepth_ == 0 && closePending_) {
        closePending_ = false;
        close();
    }
}

void frmMain::Timer1_Timer() {
    if (!shutDown_)
        RunStep([this] { gateway_->Tick(); });
}

void frmMain::Frame1_DblClick(int index) {
    gateway_->Lamps().ResetAlarm(index);
}

void frmMain::itmDBase_Click() {
    ShowModeless(options_, this);
}

void frmMain::itmPhone_Click() {
    frmPhoneOptions phoneOptions(this);
    phoneOptions.exec();
}

void frmMain::itmInfo_Click() {
    ShowModeless(about_, this);
}

void frmMain::itmAddToSend_Click() {
    AddTestMessage(QStringLiteral("Send"),
                   QStringLiteral("Запись сообщения в таблицу 'На отправку'"),
                   QStringLiteral("79xxxxxxxxx"), QStringLiteral("Test message"));
}

void frmMain::itmAddToReceive_Click() {
    AddTestMessage(QStringLiteral("Receive"),
                   QStringLiteral("Запись сообщения в таблицу 'Принятые'"),
                   QStringLiteral("+79xxxxxxxxx"), QStringLiteral("Received test message"));
}

// The gateway reports its own failures of the write; the window does not look at the result.
void frmMain::AddTestMessage(const QString& table, const QString& title,
                             const QString& numberDefault, const QString& textDefault) {
    const QString number = InputBox(QStringLiteral("Ведите номер телефона"), title, numberDefault);
    if (number.isEmpty())
        return;
    const QString text = InputBox(QStringLiteral("Ведите текст сообщения"), title, textDefault);
    if (text.isEmpty() || shutDown_)
        return;
    RunStep([&] { gateway_->Database().WriteToTable(table, number, text); });
}

QString frmMain::InputBox(const QString& prompt, const QString& title, const QString& initial) {
    QInputDialog box(this);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(initial);
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

void frmMain::SessionEnding() {
    sessionEnding_ = true;
    close();
}

// The operator's close is refused while the gateway runs (Stop first), and waits while a step
// that uses the services is on the stack (the close would free them under it); a close from the
// ending desktop session goes through at once, without closing the port or freeing anything.
void frmMain::closeEvent(QCloseEvent* event) {
    if (!shutDown_ && !sessionEnding_) {
        if (stepDepth_ > 0) {
            closePending_ = true;
            event->ignore();
            return;
        }
        if (!gateway_->CloseAllowed()) {
            event->ignore();
            return;
        }
        gateway_->Shutdown();
    }
    shutDown_ = true;
    timer1_->stop();
    event->accept();
    CloseOtherWindows();
}

void frmMain::CloseOtherWindows() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible())
            window->close();
    }
}

void frmMain::showStatus(const QString& text) {
    stbar_->setText(text);
}

void frmMain::showReceived(const QStringList& lines) {
    list1Model_->SetLines(lines);
}

void frmMain::showSending(const QStringList& lines) {
    list2Model_->SetLines(lines);
}

void frmMain::showBatteryLevel(int level) {
    battery_->ShowLevel(level);
}

void frmMain::showAntennaLevel(int level) {
    antenna_->ShowLevel(level);
}

void frmMain::showLamps(const AlarmLamps& lamps) {
    lamps_->ShowLamps(lamps);
}

bool frmMain::askYesNo(const QString& title, const QString& text) {
    return QMessageBox::question(this, title, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void frmMain::showMessage(const QString& title, const QString& text) {
    QMessageBox::warning(this, title, text);
}

void frmMain::restoreWindow() {
    if (isMinimized() || isMaximized())
        showNormal();
}

// A cycle disables the button and the timer; no tick is counted while it runs. After a stop asked
// for during the cycle the button stays disabled and the timer comes back for the closing tick.
void frmMain::setStartStopEnabled(bool enabled) {
    command1_->setEnabled(enabled && gateway_->IsRunning());
    if (command1_->text() != StopCaption() || shutDown_)
        return;
    if (enabled)
        timer1_->start();
    else
        timer1_->stop();
}

void frmMain::closeWindow() {
    close();
}
