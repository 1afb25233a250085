#pragma once

// Waiting while the event loop runs, and running the desktop programs the
// tray tests drive.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <functional>

namespace pellimore::test {

// True when condition holds within ms milliseconds; events are processed meanwhile.
inline bool WaitFor(int ms, const std::function<bool()> &condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Lets events run for ms milliseconds.
inline void Pump(int ms)
{
    WaitFor(ms, [] { return false; });
}

inline bool Installed(const QString &program) { return !QStandardPaths::findExecutable(program).isEmpty(); }

// Runs a short program to its end, events running meanwhile; true when it exited with 0.
inline bool RunTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return false;
    WaitFor(10000, [&] { return process.state() == QProcess::NotRunning; });
    return process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit
           && process.exitCode() == 0;
}

// A program that runs beside the test until the object ends.
class Background {
public:
    ~Background() { Stop(); }
    bool Start(const QString &program, const QStringList &arguments)
    {
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(program, arguments);
        return process_.waitForStarted(5000);
    }
    bool Running() const { return process_.state() == QProcess::Running; }
    void Stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }

private:
    QProcess process_;
};

}  // namespace pellimore::test
