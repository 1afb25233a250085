#include "tests/support/Wptool.h"

#include <QFile>
#include <QProcess>

namespace pellimore::test {

ToolRun Wptool(const QStringList &args)
{
    QProcess process;
    process.start(qEnvironmentVariable("PELLIMORE_WPTOOL"), args);
    ToolRun run;
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.errorText = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace pellimore::test
