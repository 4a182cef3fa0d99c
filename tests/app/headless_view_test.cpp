// The service's status output on a terminal: one self-rewriting line; the lists when they change.
#include <gtest/gtest.h>

#include <QTextStream>

#include "app/CycleCountdown.h"
#include "app/HeadlessView.h"

using namespace Qt::StringLiterals;

TEST(HeadlessView, OnATerminalTheStatusLineRewritesItselfAndLogLinesBreakOut) {
    QString printed;
    QTextStream out(&printed);
    HeadlessView view(out, false, true);
    view.showStatus(CycleCountdown::CountdownText(2));
    view.showStatus(CycleCountdown::CountdownText(1));
    view.logWritten(u"line"_s);
    // A list is printed when it changed only.
    for (const QStringList& lines : {QStringList{u"a"_s}, QStringList{u"a"_s}, QStringList{}})
        view.showReceived(lines);
    EXPECT_EQ(printed,
              u"\r\x1b[KStatus: До подключения осталось: 2"
              "\r\x1b[KStatus: До подключения осталось: 1\nLog: line\n"
              "Принятые сообщения: (1)\n    a\nПринятые сообщения: (0)\n"_s);
}
