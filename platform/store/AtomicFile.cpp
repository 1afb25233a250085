#include "platform/store/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellimore {

namespace {

QString TemporaryPrefix(const QFileInfo &target) { return QLatin1Char('.') + target.fileName() + QStringLiteral(".new-"); }

// The file that is really replaced: the target of a symbolic link.
QString ResolvedTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return info.absoluteFilePath();
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;   // a dangling link: create its target
}

bool Fail(QString *error, const QString &what, int code)
{
    if (error)
        *error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(code));
    return false;
}

bool WriteAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    const QFileInfo target(ResolvedTarget(path));
    const QByteArray targetName = QFile::encodeName(target.absoluteFilePath());
    QByteArray temporaryName = QFile::encodeName(target.absolutePath() + QLatin1Char('/') + TemporaryPrefix(target)) +
                               "XXXXXX";

    mode_t mode = 0600;
    struct stat old {};
    if (::stat(targetName.constData(), &old) == 0)
        mode = old.st_mode & 07777;

    const int fd = ::mkostemp(temporaryName.data(), O_CLOEXEC);
    if (fd < 0)
        return Fail(error, QStringLiteral("cannot create a temporary file in %1").arg(target.absolutePath()), errno);

    auto abandon = [&](const QString &what) {
        const int code = errno;
        ::close(fd);
        ::unlink(temporaryName.constData());
        return Fail(error, what, code);
    };
    if (::fchmod(fd, mode) != 0)
        return abandon(QStringLiteral("cannot set the permissions of the temporary file"));
    if (!WriteAll(fd, bytes.constData(), bytes.size()))
        return abandon(QStringLiteral("cannot write %1").arg(target.absoluteFilePath()));
    if (::fsync(fd) != 0)
        return abandon(QStringLiteral("cannot flush %1 to the disk").arg(target.absoluteFilePath()));
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temporaryName.constData());
        return Fail(error, QStringLiteral("cannot write %1").arg(target.absoluteFilePath()), code);
    }
    if (::rename(temporaryName.constData(), targetName.constData()) != 0) {
        const int code = errno;
        ::unlink(temporaryName.constData());
        return Fail(error, QStringLiteral("cannot replace %1").arg(target.absoluteFilePath()), code);
    }
    // Make the rename itself durable; the new file is in place either way.
    const int folder = ::open(QFile::encodeName(target.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void RemoveStaleTemporaryFiles(const QString &path)
{
    const QFileInfo target(ResolvedTarget(path));
    const QString prefix = TemporaryPrefix(target);
    QDir folder(target.absolutePath());
    const QStringList names = folder.entryList({prefix + QStringLiteral("??????")},
                                               QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names)
        folder.remove(name);
}

}  // namespace pellimore
