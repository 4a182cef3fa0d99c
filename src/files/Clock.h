#pragma once
// Where the current moment comes from: the system clock in the programs, a settable one in tests
// (log file rotation at midnight, time stamps).
#include <QDateTime>

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // The same moment as a count: far cheaper than now() (no local time conversion) for callers
    // that only need to notice a new second.
    virtual qint64 msecsSinceEpoch() const { return now().toMSecsSinceEpoch(); }

    // The system clock (local time).
    static const Clock& system();
};

class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime moment) : moment_(std::move(moment)) {}
    QDateTime now() const override { return moment_; }
    void set(const QDateTime& moment) { moment_ = moment; }
    void advanceSecs(qint64 secs) { moment_ = moment_.addSecs(secs); }

private:
    QDateTime moment_;
};
