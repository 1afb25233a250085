#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace pellimore {

// The per-user settings store: text values addressed by application, section
// and key. A missing key reads as the caller's default.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual QString GetSetting(const QString &application, const QString &section, const QString &key,
                               const QString &defaultValue = QString()) const = 0;
    // Writes one value and makes it durable; false when it could not be stored.
    virtual bool SaveSetting(const QString &application, const QString &section, const QString &key,
                             const QString &value) = 0;
    // Writes several values of one section (key, value) and makes them
    // durable; false when any could not be stored. Stores that can write
    // them at once do; this one writes them one by one.
    virtual bool SaveSettings(const QString &application, const QString &section,
                              const std::vector<std::pair<QString, QString>> &values)
    {
        bool ok = true;
        for (const auto &[key, value] : values)
            ok = SaveSetting(application, section, key, value) && ok;
        return ok;
    }
    virtual bool DeleteSetting(const QString &application, const QString &section, const QString &key) = 0;
    // Why the last failed write failed, in words for the user; empty when unknown.
    virtual QString LastError() const { return QString(); }

    // Between BeginBatch and EndBatch a store may hold its writes: they read
    // back as written at once, and EndBatch makes them durable together, for
    // a burst of writes that would otherwise each replace the file. A held
    // write returns true when it is accepted; EndBatch returns false when the
    // writes could not be stored (LastError says why). Batches nest: the
    // outermost EndBatch writes. Stores that write at once ignore both.
    virtual void BeginBatch() {}
    virtual bool EndBatch() { return true; }
};

// Holds a store's writes from its construction to Commit (or its end, when
// Commit was not called).
class SettingsBatch {
public:
    explicit SettingsBatch(SettingsStore &store) : store_(&store) { store.BeginBatch(); }
    ~SettingsBatch() { Commit(); }
    SettingsBatch(const SettingsBatch &) = delete;
    SettingsBatch &operator=(const SettingsBatch &) = delete;

    // True when the held writes were stored (also when called again).
    bool Commit()
    {
        SettingsStore *store = std::exchange(store_, nullptr);
        return !store || store->EndBatch();
    }

private:
    SettingsStore *store_;
};

}  // namespace pellimore
