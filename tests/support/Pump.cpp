#include "Pump.h"

#include <QCoreApplication>
#include <QThread>

namespace testsupport {

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        // processEvents returns at once when nothing is queued: a short sleep keeps the wait
        // from taking a core from the threads it waits on.
        QThread::msleep(2);
    }
    return true;
}

void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
}

} // namespace testsupport
