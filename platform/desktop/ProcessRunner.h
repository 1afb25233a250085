#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace pellimore {

// How one run of an external program ended.
struct ProcessOutcome {
    bool started = false;    // the program could be run at all
    bool timedOut = false;   // it was ended because it took too long
    bool crashed = false;    // it ended by a signal
    int exitCode = -1;       // its exit status when it ended normally
    QByteArray standardOutput;
    QByteArray standardError;

    bool Succeeded() const { return started && !timedOut && !crashed && exitCode == 0; }
    // One line that says what went wrong, naming the program.
    QString Describe(const QString &program) const;
};

// Runs external programs by argument vector (never through a shell).
class ProcessRunner {
public:
    virtual ~ProcessRunner() = default;

    // Runs the program to its end and collects its output.
    virtual ProcessOutcome Run(const QString &program, const QStringList &arguments, int timeoutMs = 15000) = 0;
    // Starts a program that keeps running after this call (and after this
    // process ends). Waits settleMs for an early failure: a program that could
    // not be started or ended within that time with a non-zero status is an
    // error. Returns its process id.
    virtual std::optional<qint64> StartBackground(const QString &program, const QStringList &arguments, int settleMs,
                                                  QString *error) = 0;
    // Starts a program and forgets it (no waiting, no zombie); false when it
    // could not be started.
    virtual bool Launch(const QString &program, const QStringList &arguments) = 0;
    // Ends a process started before, when it is still running and its name is
    // `name` (so a reused process id is left alone).
    virtual void Terminate(qint64 pid, const QString &name) = 0;
    // True when the program can be found on the search path (or is a path to
    // an executable file).
    virtual bool Exists(const QString &program) const = 0;
};

// The real runner: QProcess for runs, fork and exec for background programs.
class SystemProcessRunner final : public ProcessRunner {
public:
    ProcessOutcome Run(const QString &program, const QStringList &arguments, int timeoutMs = 15000) override;
    std::optional<qint64> StartBackground(const QString &program, const QStringList &arguments, int settleMs,
                                          QString *error) override;
    bool Launch(const QString &program, const QStringList &arguments) override;
    void Terminate(qint64 pid, const QString &name) override;
    bool Exists(const QString &program) const override;
};

}  // namespace pellimore
