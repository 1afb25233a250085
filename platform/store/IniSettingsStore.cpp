#include "platform/store/IniSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/store/AtomicFile.h"
#include "platform/store/IniDocument.h"

namespace pellimore {

namespace {

constexpr int kLockTimeoutMs = 5000;

// What identifies one version of the file on disk. Every write renames a new
// file into place, so the inode alone tells a rewrite; size and times catch
// edits made in place by other tools.
struct Signature {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const Signature &other) const
    {
        return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

Signature SignatureOf(const struct stat &info)
{
    return {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

std::optional<Signature> StatPath(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? std::optional<Signature>(Signature{}) : std::nullopt;
    return SignatureOf(info);
}

struct FileRead {
    enum class Status { Missing, Read, Unreadable } status = Status::Missing;
    Signature signature;
    QByteArray bytes;
    QString error;
};

FileRead ReadSettingsFile(const QString &path)
{
    FileRead result;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            result.status = FileRead::Status::Unreadable;
            result.error = QStringLiteral("cannot open %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        }
        return result;
    }
    result.status = FileRead::Status::Unreadable;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        result.error = QStringLiteral("%1 is not a file").arg(path);
    } else if (info.st_size > IniSettingsStore::kMaxFileBytes) {
        result.error = QStringLiteral("%1 is too large for a settings file").arg(path);
    } else {
        result.signature = SignatureOf(info);
        QFile file;
        if (file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
            // Asked for the size the file has (one byte more shows growth),
            // not the limit: read() sets aside all it is asked for.
            result.bytes = file.read(std::min<qint64>(info.st_size, IniSettingsStore::kMaxFileBytes) + 1);
            if (file.error() == QFileDevice::NoError && result.bytes.size() <= IniSettingsStore::kMaxFileBytes)
                result.status = FileRead::Status::Read;
        }
        if (result.status != FileRead::Status::Read)
            result.error = QStringLiteral("cannot read %1").arg(path);
    }
    ::close(fd);
    return result;
}

// $XDG_CONFIG_HOME when it is an absolute path (the XDG rules ignore any
// other), else ~/.config.
QString DefaultConfigFolder()
{
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configured.startsWith(QLatin1Char('/')))
        return configured;
    return QDir::homePath() + QStringLiteral("/.config");
}

}  // namespace

struct IniSettingsStore::Snapshot {
    Signature signature;
    IniDocument document;
};

IniSettingsStore::IniSettingsStore() : IniSettingsStore(DefaultConfigFolder()) {}

IniSettingsStore::IniSettingsStore(QString configFolder) : configFolder_(std::move(configFolder))
{
    while (configFolder_.size() > 1 && configFolder_.endsWith(QLatin1Char('/')))
        configFolder_.chop(1);
}

IniSettingsStore::~IniSettingsStore()
{
    if (held_.empty())
        return;
    batchDepth_ = 1;
    EndBatch();
}

QString IniSettingsStore::FilePath(const QString &application) const
{
    if (application.isEmpty() || application == QLatin1String(".") || application == QLatin1String("..") ||
        application.contains(QLatin1Char('/')) || application.contains(QChar(0)) || configFolder_.isEmpty())
        return QString();
    return configFolder_ + QLatin1Char('/') + application + QLatin1Char('/') + application + QStringLiteral(".ini");
}

const IniDocument *IniSettingsStore::Current(const QString &path) const
{
    const std::optional<Signature> now = StatPath(path);
    auto &snapshot = snapshots_[path];
    if (snapshot && now && snapshot->signature == *now)
        return &snapshot->document;

    FileRead read = ReadSettingsFile(path);
    if (!snapshot)
        snapshot = std::make_unique<Snapshot>();
    // An unreadable file reads as empty: every key takes its default.
    snapshot->signature = read.signature;
    snapshot->document = read.status == FileRead::Status::Read ? IniDocument::Parse(read.bytes) : IniDocument();
    return &snapshot->document;
}

QString IniSettingsStore::GetSetting(const QString &application, const QString &section, const QString &key,
                                     const QString &defaultValue) const
{
    const QString path = FilePath(application);
    if (path.isEmpty() || section.isEmpty() || key.isEmpty())
        return defaultValue;
    if (const auto held = held_.find(path); held != held_.end())
        return held->second.document->Value(section, key).value_or(defaultValue);
    return Current(path)->Value(section, key).value_or(defaultValue);
}

bool IniSettingsStore::SaveSetting(const QString &application, const QString &section, const QString &key,
                                   const QString &value)
{
    return Modify(application, {{section, key, value, Change::Set}});
}

bool IniSettingsStore::SaveSettings(const QString &application, const QString &section,
                                    const std::vector<std::pair<QString, QString>> &values)
{
    std::vector<Edit> edits;
    edits.reserve(values.size());
    for (const auto &[key, value] : values)
        edits.push_back({section, key, value, Change::Set});
    return Modify(application, edits);
}

bool IniSettingsStore::DeleteSetting(const QString &application, const QString &section, const QString &key)
{
    return Modify(application, {{section, key, QString(), Change::Remove}});
}

bool IniSettingsStore::ApplyEdits(IniDocument &document, const std::vector<Edit> &edits)
{
    bool changed = false;
    for (const Edit &edit : edits) {
        if (edit.change == Change::Set) {
            if (document.Value(edit.section, edit.key) != edit.value) {
                document.SetValue(edit.section, edit.key, edit.value);
                changed = true;
            }
        } else {
            changed = document.Remove(edit.section, edit.key) || changed;
        }
    }
    return changed;
}

bool IniSettingsStore::Modify(const QString &application, const std::vector<Edit> &edits)
{
    lastError_.clear();
    const QString path = FilePath(application);
    const bool unnamed = std::any_of(edits.begin(), edits.end(),
                                     [](const Edit &edit) { return edit.section.isEmpty() || edit.key.isEmpty(); });
    if (path.isEmpty() || unnamed) {
        lastError_ = QStringLiteral("the application, section and key must have names");
        return false;
    }
    if (batchDepth_ == 0)
        return Write(path, edits);
    Held &held = held_[path];
    if (!held.document)
        held.document = std::make_unique<IniDocument>(*Current(path));
    ApplyEdits(*held.document, edits);
    held.edits.insert(held.edits.end(), edits.begin(), edits.end());
    return true;
}

void IniSettingsStore::BeginBatch()
{
    ++batchDepth_;
}

bool IniSettingsStore::EndBatch()
{
    if (batchDepth_ == 0 || --batchDepth_ > 0)
        return true;
    std::map<QString, Held> held = std::move(held_);
    held_.clear();
    bool ok = true;
    QString firstError;
    for (const auto &[path, writes] : held) {
        if (!Write(path, writes.edits) && ok) {
            ok = false;
            firstError = lastError_;
        }
    }
    lastError_ = firstError;
    return ok;
}

bool IniSettingsStore::Write(const QString &path, const std::vector<Edit> &edits)
{
    lastError_.clear();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        lastError_ = QStringLiteral("cannot create the folder %1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }

    // One writer at a time, across processes, so that no program's change is lost.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockTimeoutMs)) {
        lastError_ = lock.error() == QLockFile::LockFailedError
                         ? QStringLiteral("%1 stayed locked by another program").arg(path)
                         : QStringLiteral("cannot create the lock file beside %1: %2")
                               .arg(path, QString::fromLocal8Bit(std::strerror(
                                              lock.error() == QLockFile::PermissionError ? EACCES : errno)));
        return false;
    }
    RemoveStaleTemporaryFiles(path);

    FileRead read = ReadSettingsFile(path);
    if (read.status == FileRead::Status::Unreadable) {
        // Replacing a file we could not read would lose whatever it holds.
        lastError_ = read.error;
        return false;
    }
    auto snapshot = std::make_unique<Snapshot>();
    snapshot->signature = read.signature;
    snapshot->document = IniDocument::Parse(read.bytes);
    IniDocument &document = snapshot->document;

    if (ApplyEdits(document, edits)) {
        if (!WriteFileAtomically(path, document.Serialize(), &lastError_)) {
            snapshots_[path] = nullptr;   // read afresh next time
            return false;
        }
        snapshot->signature = StatPath(path).value_or(Signature{});
    }
    snapshots_[path] = std::move(snapshot);
    return true;
}

}  // namespace pellimore
