#include "wallpaper/changer/FolderFiles.h"

#include "platform/store/AtomicFile.h"

#include <QFile>
#include <QSaveFile>
#include <QDir>
#include <QCryptographicHash>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellimore {

namespace {

bool IsOrdinaryFile(int folderFd, const dirent &entry)
{
    if (entry.d_type == DT_REG)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat info = {};
    return fstatat(folderFd, entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

QStringList ListFolderFiles(const QString &folder)
{
    DIR *dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return {};
    // The names go into one buffer and are sorted as views of it: a folder
    // may hold a hundred thousand files.
    std::string buffer;
    std::vector<std::pair<size_t, size_t>> spans;   // offset and length in buffer
    const int fd = dirfd(dir);
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;   // hidden files, "." and ".."
        if (IsOrdinaryFile(fd, *entry)) {
            const size_t length = std::strlen(entry->d_name);
            spans.emplace_back(buffer.size(), length);
            buffer.append(entry->d_name, length);
        }
    }
    closedir(dir);

    std::vector<std::string_view> names;
    names.reserve(spans.size());
    for (const auto &[offset, length] : spans)
        names.emplace_back(buffer.data() + offset, length);
    std::sort(names.begin(), names.end());   // byte order

    QStringList result;
    result.reserve(qsizetype(names.size()));
    for (const std::string_view raw : names) {
        const QByteArray bytes = QByteArray::fromRawData(raw.data(), qsizetype(raw.size()));
        QString name = QFile::decodeName(bytes);
        if (QFile::encodeName(name) == bytes)
            result.push_back(std::move(name));
    }
    return result;
}

bool HasPictureExtension(const QString &name, const QStringList &upperExtensions)
{
    if (name.size() < 3)
        return false;
    // Character by character, without building a new string for every name.
    const QChar last[3] = {name[name.size() - 3].toUpper(), name[name.size() - 2].toUpper(),
                           name[name.size() - 1].toUpper()};
    const QStringView tail(last, 3);
    for (const QString &extension : upperExtensions) {
        if (tail == extension)
            return true;
    }
    return false;
}

bool WriteFileReplacing(const QString &path, const QByteArray &bytes, QString *error)
{
    RemoveSymbolicLink(path);
    return WriteFileAtomically(path, bytes, error);
}

void RemoveSymbolicLink(const QString &path)
{
    struct stat info = {};
    const QByteArray name = QFile::encodeName(path);
    if (::lstat(name.constData(), &info) == 0 && S_ISLNK(info.st_mode))
        ::unlink(name.constData());
}

QString FolderFilePath(const QString &folder, const QString &name)
{
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    if (::access(QFile::encodeName(clean).constData(), W_OK) == 0)
        return clean + QLatin1Char('/') + name;
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() || !QDir::isAbsolutePath(cache))
        cache = QDir::homePath() + QStringLiteral("/.cache");
    const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(clean), QCryptographicHash::Sha1).toHex().left(16);
    const QString place = cache + QStringLiteral("/Corvane/folders/") + QString::fromLatin1(hash);
    QDir().mkpath(place);
    return place + QLatin1Char('/') + name;
}

bool CopyFileReplacing(const QString &source, const QString &destination)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const qint64 expected = in.size();
    QSaveFile out(destination);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    constexpr qint64 kChunk = qint64(1) << 20;
    qint64 copied = 0;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size())
            return false;
        copied += chunk.size();
    }
    if (copied != expected)
        return false;
    return out.commit() && FileSize(destination) == expected;
}

bool IsSameFile(const QString &a, const QString &b)
{
    struct stat first = {};
    struct stat second = {};
    return stat(QFile::encodeName(a).constData(), &first) == 0 &&
           stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

qint64 FileSize(const QString &path)
{
    struct stat info = {};
    if (stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    return qint64(info.st_size);
}

}  // namespace pellimore
