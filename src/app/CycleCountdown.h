#pragma once
// The counters of the one-second cycle timer and their arithmetic: the countdown to the next
// cycle, the re-initialisation check five seconds before it, and the pause after database
// errors. No I/O; the gateway acts on what these return.
#include <QString>

class CycleCountdown {
public:
    // What one counted second asks for.
    struct Second {
        qint16 remaining = 0;      // Period - TickCounter, shown in the status line
        bool reinitCheck = false;  // TickCounter == Period - 5 and at least 1
        bool cycleDue = false;     // TickCounter has reached Period
    };

    // Counts one second towards a cycle of `period` seconds.
    Second CountSecond(qint16 period);
    // The re-initialisation check: counts one more check and tells whether the replacement is due
    // now (every `reinitPeriod` checks; values below 2 count as 2). Restarts its count when due.
    bool ReinitDue(int reinitPeriod);
    // A cycle starts: the countdown starts over.
    void CycleStarted() { tickCounter_ = 0; }

    // The pause after database errors runs while four or more errors are counted. Nothing in the
    // gateway counts them yet; a pause second shows its count (odd) or the pause text (even) and
    // ends the pause at 120, after which counting resumes where it stopped.
    bool InAdoErrorPause() const { return adoErrorCount_ >= kAdoErrorsForPause; }
    QString AdoErrorPauseSecond();
    void CountAdoError() { ++adoErrorCount_; }

    qint16 TickCounter() const { return tickCounter_; }
    qint16 ReinitCounter() const { return reinitCounter_; }

    static QString CountdownText(qint16 remaining);
    static constexpr qint16 kReinitLead = 5;
    static constexpr qint16 kAdoErrorsForPause = 4;
    static constexpr qint16 kPauseSeconds = 120;

private:
    qint16 tickCounter_ = 0;
    qint16 reinitCounter_ = 0;
    qint16 pauseTicks_ = 0;
    qint16 adoErrorCount_ = 0;
};
