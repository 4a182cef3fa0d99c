#include "files/Clock.h"

namespace {
class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    qint64 msecsSinceEpoch() const override { return QDateTime::currentMSecsSinceEpoch(); }
};
}  // namespace

const Clock& Clock::system() {
    static const SystemClock clock;
    return clock;
}
