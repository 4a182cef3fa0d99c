#include "app/CycleCountdown.h"

#include <algorithm>

CycleCountdown::Second CycleCountdown::CountSecond(qint16 period) {
    ++tickCounter_;
    Second s;
    s.remaining = static_cast<qint16>(period - tickCounter_);
    s.reinitCheck = tickCounter_ == period - kReinitLead && tickCounter_ >= 1;
    s.cycleDue = tickCounter_ >= period;
    return s;
}

bool CycleCountdown::ReinitDue(int reinitPeriod) {
    const int every = std::max(2, reinitPeriod);
    ++reinitCounter_;
    if (reinitCounter_ < every)
        return false;
    reinitCounter_ = 0;
    return true;
}

QString CycleCountdown::AdoErrorPauseSecond() {
    ++pauseTicks_;
    const QString text = pauseTicks_ % 2 == 1 ? QString::number(pauseTicks_)
                                              : QStringLiteral("Пауза при ошибке ADO!!!");
    if (pauseTicks_ >= kPauseSeconds) {
        pauseTicks_ = 0;
        adoErrorCount_ = 0;
    }
    return text;
}

QString CycleCountdown::CountdownText(qint16 remaining) {
    return QStringLiteral("До подключения осталось: ") + QString::number(remaining);
}
