#pragma once

#include <QString>

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
    virtual bool DeleteSetting(const QString &application, const QString &section, const QString &key) = 0;
    // Why the last failed write failed, in words for the user; empty when unknown.
    virtual QString LastError() const { return QString(); }
};

}  // namespace pellimore
