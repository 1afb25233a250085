#include "screensaver/QtEventPump.h"

#include <QCoreApplication>
#include <QTimer>

namespace pellimore {

void QtEventPump::WaitForEvents(int maxMs)
{
    // The timer's event wakes the loop when nothing else does.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(maxMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtEventPump::ProcessPending() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

}  // namespace pellimore
