#pragma once
// The main window: a view of the gateway core. Start/Stop (Command1), the one-second timer, the
// status line, the two message lists, the gauges, the alarm lamps and the menus. The gateway owns
// the work; the window shows it and decides, with the gateway's run state, when it may close.
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

#include "app/GatewayView.h"
#include "files/Clock.h"
#include "files/Pacer.h"

class AntennaGauge;
class BatteryGauge;
class Gateway;
class LampPanel;
class MessageListModel;
class QAction;
class QLabel;
class QTreeView;
class QMenu;
class QPushButton;
class QTimer;
class frmAbout;
class frmOptions;

class frmMain : public QMainWindow, public GatewayView {
    Q_OBJECT
public:
    explicit frmMain(Pacer& pacer = Pacer::real(), const Clock& clock = Clock::system());
    ~frmMain() override;

    // Start-up: the gateway's services and log folder in appFolder, the gauges full, idle.
    void Load(const QString& appFolder);

    Gateway& gateway() { return *gateway_; }

    // GatewayView
    void showStatus(const QString& text) override;
    void showReceived(const QStringList& lines) override;
    void showSending(const QStringList& lines) override;
    void showBatteryLevel(int level) override;
    void showAntennaLevel(int level) override;
    void showLamps(const AlarmLamps& lamps) override;
    bool askYesNo(const QString& title, const QString& text) override;
    void showMessage(const QString& title, const QString& text) override;
    void restoreWindow() override;
    void setStartStopEnabled(bool enabled) override;
    void closeWindow() override;

    // Controls, by their names.
    QPushButton* Command1() const { return command1_; }
    QTimer* Timer1() const { return timer1_; }
    QLabel* stbar() const { return stbar_; }
    QTreeView* List1() const { return list1_; }
    QTreeView* List2() const { return list2_; }
    MessageListModel* List1Model() const { return list1Model_; }
    MessageListModel* List2Model() const { return list2Model_; }
    BatteryGauge* Battery() const { return battery_; }
    AntennaGauge* Antenna() const { return antenna_; }
    LampPanel* Lamps() const { return lamps_; }
    QMenu* mnuOptions() const { return mnuOptions_; }
    QMenu* mnuProgram() const { return mnuProgram_; }
    QMenu* mnuMessage() const { return mnuMessage_; }
    QAction* itmDBase() const { return itmDBase_; }
    QAction* itmPhone() const { return itmPhone_; }
    QAction* itmInfo() const { return itmInfo_; }
    QAction* itmAddToSend() const { return itmAddToSend_; }
    QAction* itmAddToReceive() const { return itmAddToReceive_; }
    // The modeless dialogs while open.
    frmOptions* OpenOptions() const;
    frmAbout* OpenAbout() const;

public Q_SLOTS:
    void Command1_Click();
    void Timer1_Timer();
    void Frame1_DblClick(int index);
    void itmDBase_Click();
    void itmPhone_Click();
    void itmInfo_Click();
    void itmAddToSend_Click();
    void itmAddToReceive_Click();
    // The desktop session is ending: the next close goes through without checks.
    void SessionEnding();
    // SIGTERM: Stop while running (after Start's checks if they run), a close while idle.
    void StopRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildBody();
    void AddTestMessage(const QString& table, const QString& title, const QString& numberDefault,
                        const QString& textDefault);
    void CloseOtherWindows();
    void Stop();
    // Runs a step that uses the gateway's services; a close asked for meanwhile waits for it.
    void RunStep(const std::function<void()>& step);
    // The input box of the test-message entries: the answer, "" for Cancel.
    QString InputBox(const QString& prompt, const QString& title, const QString& initial);

    std::unique_ptr<Gateway> gateway_;
    QPushButton* command1_ = nullptr;
    QTimer* timer1_ = nullptr;
    QLabel* stbar_ = nullptr;
    QTreeView* list1_ = nullptr;
    QTreeView* list2_ = nullptr;
    MessageListModel* list1Model_ = nullptr;
    MessageListModel* list2Model_ = nullptr;
    BatteryGauge* battery_ = nullptr;
    AntennaGauge* antenna_ = nullptr;
    LampPanel* lamps_ = nullptr;
    QMenu* mnuOptions_ = nullptr;
    QMenu* mnuProgram_ = nullptr;
    QMenu* mnuMessage_ = nullptr;
    QAction* itmDBase_ = nullptr;
    QAction* itmPhone_ = nullptr;
    QAction* itmInfo_ = nullptr;
    QAction* itmAddToSend_ = nullptr;
    QAction* itmAddToReceive_ = nullptr;
    QPointer<frmOptions> options_;
    QPointer<frmAbout> about_;
    bool sessionEnding_ = false;
    bool shutDown_ = false;
    // Steps on the stack (a nested event loop may start another), and what waits for them.
    int stepDepth_ = 0;
    bool closePending_ = false;
    bool stopPending_ = false;
};

// Captions of Command1.
QString StartCaption();
QString StopCaption();
