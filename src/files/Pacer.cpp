#include "files/Pacer.h"

#include <QCoreApplication>
#include <QThread>

namespace {
class RealPacer : public Pacer {
public:
    void letEventsRun() override {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
    }
    void sleepMs(int ms) override {
        if (ms > 0)
            QThread::msleep(static_cast<unsigned long>(ms));
    }
};
}  // namespace

Pacer& Pacer::real() {
    static RealPacer pacer;
    return pacer;
}

void VirtualPacer::letEventsRun() {
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}
