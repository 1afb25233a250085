#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pellimore::test {

// One run of the developers' tool, found through PELLIMORE_WPTOOL.
struct ToolRun {
    int exitCode = -1;        // -1 when it crashed or did not finish
    QString errorText;        // what it wrote to stderr
};

ToolRun Wptool(const QStringList &args);
// A whole file; empty when it cannot be read.
QByteArray ReadAll(const QString &path);

}  // namespace pellimore::test
