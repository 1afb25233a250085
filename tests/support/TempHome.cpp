#include "tests/support/TempHome.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

namespace pellimore::test {

namespace {

QByteArray Swap(const char *name, const QString &value)
{
    QByteArray old = qgetenv(name);
    qputenv(name, value.toLocal8Bit());
    return old;
}

void Restore(const char *name, const QByteArray &value)
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

}  // namespace

TempHome::TempHome() : dir_(std::make_unique<QTemporaryDir>(QDir::tempPath() + "/pellimore-home-XXXXXX"))
{
    const QString root = dir_->path();
    QDir(root).mkpath(".config");
    QDir(root).mkpath(".local/share");
    QDir(root).mkpath(".cache");
    QDir(root).mkpath("Documents");
    QDir(root).mkpath("runtime");
    QFile::setPermissions(root + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    savedHome_ = Swap("HOME", root);
    savedConfig_ = Swap("XDG_CONFIG_HOME", root + "/.config");
    savedData_ = Swap("XDG_DATA_HOME", root + "/.local/share");
    savedCache_ = Swap("XDG_CACHE_HOME", root + "/.cache");
    savedRuntime_ = Swap("XDG_RUNTIME_DIR", root + "/runtime");
}

TempHome::~TempHome()
{
    Restore("HOME", savedHome_);
    Restore("XDG_CONFIG_HOME", savedConfig_);
    Restore("XDG_DATA_HOME", savedData_);
    Restore("XDG_CACHE_HOME", savedCache_);
    Restore("XDG_RUNTIME_DIR", savedRuntime_);
}

QString TempHome::Path() const { return dir_->path(); }
QString TempHome::ConfigHome() const { return dir_->path() + "/.config"; }
QString TempHome::Documents() const { return dir_->path() + "/Documents"; }

QString TestDataPath(const QString &relative)
{
    QString root = qEnvironmentVariable("PELLIMORE_TESTDATA");
    if (root.isEmpty())
        root = SourcePath("tests/data");
    return relative.isEmpty() ? root : root + "/" + relative;
}

QString SourcePath(const QString &relative)
{
    QString root = qEnvironmentVariable("PELLIMORE_SOURCE_DIR");
    if (root.isEmpty())
        root = QStringLiteral(PELLIMORE_SOURCE_DIR_FALLBACK);
    return root + "/" + relative;
}

}  // namespace pellimore::test
