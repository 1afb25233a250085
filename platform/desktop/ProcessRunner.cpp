#include "platform/desktop/ProcessRunner.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace pellimore {

QString ProcessOutcome::Describe(const QString &program) const
{
    if (!started)
        return QStringLiteral("%1 could not be run").arg(program);
    if (timedOut)
        return QStringLiteral("%1 did not finish in time").arg(program);
    if (crashed)
        return QStringLiteral("%1 crashed").arg(program);
    if (exitCode == 0)
        return QStringLiteral("%1 succeeded").arg(program);
    QString detail = QString::fromLocal8Bit(standardError).trimmed();
    if (detail.isEmpty())
        detail = QString::fromLocal8Bit(standardOutput).trimmed();
    detail = detail.section(QLatin1Char('\n'), 0, 0).left(200);
    QString text = QStringLiteral("%1 failed with exit status %2").arg(program).arg(exitCode);
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail;
    return text;
}

ProcessOutcome SystemProcessRunner::Run(const QString &program, const QStringList &arguments, int timeoutMs)
{
    ProcessOutcome outcome;
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(timeoutMs))
        return outcome;
    outcome.started = true;
    if (!process.waitForFinished(timeoutMs)) {
        outcome.timedOut = true;
        process.kill();
        process.waitForFinished(1000);
        return outcome;
    }
    outcome.crashed = process.exitStatus() == QProcess::CrashExit;
    outcome.exitCode = process.exitCode();
    outcome.standardOutput = process.readAllStandardOutput();
    outcome.standardError = process.readAllStandardError();
    return outcome;
}

std::optional<qint64> SystemProcessRunner::StartBackground(const QString &program, const QStringList &arguments,
                                                           int settleMs, QString *error)
{
    auto fail = [&](const QString &why) -> std::optional<qint64> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QString path =
        program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    if (path.isEmpty() || !QFileInfo(path).isExecutable())
        return fail(QStringLiteral("%1 is not installed").arg(program));

    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(path));
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);

    // A close-on-exec pipe tells the parent whether exec worked.
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return fail(QStringLiteral("%1 could not be started").arg(program));
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return fail(QStringLiteral("%1 could not be started").arg(program));
    }
    if (pid == 0) {
        ::setsid();
        const int devNull = ::open("/dev/null", O_RDWR);
        if (devNull >= 0) {
            ::dup2(devNull, 0);
            ::dup2(devNull, 1);
            ::dup2(devNull, 2);
        }
        ::execv(argv[0], argv.data());
        const int code = errno;
        [[maybe_unused]] const ssize_t written = ::write(pipeFds[1], &code, sizeof code);
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    int execError = 0;
    const ssize_t got = ::read(pipeFds[0], &execError, sizeof execError);
    ::close(pipeFds[0]);
    if (got == ssize_t(sizeof execError)) {
        ::waitpid(pid, nullptr, 0);
        return fail(QStringLiteral("%1 could not be started: %2").arg(program, QString::fromLocal8Bit(strerror(execError))));
    }

    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < settleMs) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
                return fail(QStringLiteral("%1 ended at once").arg(program));
            if (WIFEXITED(status))
                return fail(QStringLiteral("%1 failed with exit status %2").arg(program).arg(WEXITSTATUS(status)));
            return fail(QStringLiteral("%1 crashed").arg(program));
        }
        QThread::msleep(20);
    }
    return qint64(pid);
}

bool SystemProcessRunner::Launch(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

void SystemProcessRunner::Terminate(qint64 pid, const QString &name)
{
    if (pid <= 1)
        return;
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly) || QString::fromLocal8Bit(comm.readAll()).trimmed() != name)
        return;
    ::kill(pid_t(pid), SIGTERM);
    // Our own child would stay a zombie: reap it (a process of an earlier run
    // is not our child, and waitpid returns at once).
    for (int i = 0; i < 25; ++i) {
        const pid_t done = ::waitpid(pid_t(pid), nullptr, WNOHANG);
        if (done != 0)
            break;
        QThread::msleep(20);
    }
}

bool SystemProcessRunner::Exists(const QString &program) const
{
    if (program.contains(QLatin1Char('/')))
        return QFileInfo(program).isExecutable();
    return !QStandardPaths::findExecutable(program).isEmpty();
}

}  // namespace pellimore
