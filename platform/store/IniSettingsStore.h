#pragma once

#include <QString>

#include <map>
#include <memory>

#include "platform/store/SettingsStore.h"

namespace pellimore {

class IniDocument;

// The settings store as one INI file per user and application:
// <config folder>/<application>/<application>.ini, for example
// ~/.config/Corvane/Corvane.ini, a group per section (the file format is
// described with IniDocument).
//
// Several programs share the file (WallPaper and the screen saver), so every
// read checks whether the file changed on disk (its identity, size and
// modification time) and reloads it then, and every write is a
// read-modify-write of the current file under a lock file
// ("<application>.ini.lock"), replaced atomically (see WriteFileAtomically).
// A failed write returns false and leaves the previous file and the values
// read from it as they were. In a batch the writes are held in memory (and
// read back from there) and written in one replacement of each file when it
// ends; what another program wrote meanwhile stays.
class IniSettingsStore final : public SettingsStore {
public:
    // Files under $XDG_CONFIG_HOME (~/.config when unset or not absolute).
    IniSettingsStore();
    // Files under `configFolder`.
    explicit IniSettingsStore(QString configFolder);
    // Writes a batch still holds.
    ~IniSettingsStore() override;
    IniSettingsStore(const IniSettingsStore &) = delete;
    IniSettingsStore &operator=(const IniSettingsStore &) = delete;

    QString GetSetting(const QString &application, const QString &section, const QString &key,
                       const QString &defaultValue = QString()) const override;
    bool SaveSetting(const QString &application, const QString &section, const QString &key,
                     const QString &value) override;
    // All of them in one replacement of the file.
    bool SaveSettings(const QString &application, const QString &section,
                      const std::vector<std::pair<QString, QString>> &values) override;
    // True when the key is absent afterwards (also when it never existed).
    bool DeleteSetting(const QString &application, const QString &section, const QString &key) override;

    // The file of an application; empty for a name that cannot be a file name
    // (empty, ".", "..", or holding "/" or a NUL).
    QString FilePath(const QString &application) const;
    QString ConfigFolder() const { return configFolder_; }
    // Why the last failed write failed (empty after a success).
    QString LastError() const override { return lastError_; }
    void BeginBatch() override;
    bool EndBatch() override;

    // Files larger than this are not settings files; they are neither read nor replaced.
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

private:
    struct Snapshot;
    enum class Change { Set, Remove };

    const IniDocument *Current(const QString &path) const;
    struct Edit {
        QString section;
        QString key;
        QString value;
        Change change = Change::Set;
    };
    // The writes a batch holds for one file, and the file as they leave it.
    struct Held {
        std::vector<Edit> edits;
        std::unique_ptr<IniDocument> document;
    };
    // Applies edits to a document; true when it changed.
    static bool ApplyEdits(IniDocument &document, const std::vector<Edit> &edits);
    bool Modify(const QString &application, const std::vector<Edit> &edits);
    bool Write(const QString &path, const std::vector<Edit> &edits);

    QString configFolder_;
    QString lastError_;
    mutable std::map<QString, std::unique_ptr<Snapshot>> snapshots_;   // by file path
    int batchDepth_ = 0;
    std::map<QString, Held> held_;   // by file path, while a batch lasts
};

}  // namespace pellimore
