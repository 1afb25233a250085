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
};

}  // namespace pellimore
