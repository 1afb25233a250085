#pragma once

#include <QStringList>

#include <vector>

#include "platform/desktop/DesktopBackend.h"

namespace pellimore {

class ProcessRunner;

// The desktops that keep their wallpaper in gsettings: GNOME (and Budgie,
// which reads GNOME's keys), Cinnamon and MATE. Each write is one run of
// `gsettings set SCHEMA KEY VALUE`.
class GSettingsBackend final : public DesktopBackend {
public:
    enum class Flavour { Gnome, Cinnamon, Mate };

    GSettingsBackend(Flavour flavour, ProcessRunner &runner);

    QString Name() const override;
    DesktopResult Apply(const WallpaperSettings &settings) override;
    bool CachesByFileName() const override { return true; }

    // The writes Apply makes, in order: {key, value} with the value in
    // GVariant text form.
    std::vector<std::pair<QString, QString>> Writes(const WallpaperSettings &settings) const;
    QString Schema() const;

private:
    Flavour flavour_;
    ProcessRunner &runner_;
};

// A text as a GVariant string literal: single quotes, with backslash escapes
// for quotes, backslashes and control characters.
QString GVariantString(const QString &text);

}  // namespace pellimore
