#pragma once
// Every wait of the gateway goes through a pacer: "let events run, then wait N ms". The programs
// use the real one (Qt's event loop and the system clock); tests use a virtual one, so a cycle
// with all its pauses runs in milliseconds.

class Pacer {
public:
    virtual ~Pacer() = default;
    // Lets pending events of the program run (window repaints, menu clicks, signals).
    virtual void letEventsRun() = 0;
    // Waits ms milliseconds.
    virtual void sleepMs(int ms) = 0;
    // The usual pause: events, then the wait.
    void pause(int ms) {
        letEventsRun();
        sleepMs(ms);
    }

    // Processes Qt events and sleeps on the system clock.
    static Pacer& real();
};

// Lets events run like the real pacer but only counts the sleeps.
class VirtualPacer : public Pacer {
public:
    void letEventsRun() override;
    void sleepMs(int ms) override { elapsedMs_ += ms; }
    long long elapsedMs() const { return elapsedMs_; }

private:
    long long elapsedMs_ = 0;
};
