#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include "platform/sound/SoundService.h"

namespace pellimore {

class ProcessRunner;

// Plays through the desktop's own sound players, found at run time:
// paplay (PulseAudio and PipeWire), pw-play, aplay (ALSA) or
// canberra-gtk-play. The default event sound is the theme's "bell" through
// canberra-gtk-play, else the freedesktop theme's bell file through a player,
// else the toolkit's beep.
class SystemSound final : public SoundService {
public:
    explicit SystemSound(ProcessRunner &runner, QString soundThemeFolder = QStringLiteral("/usr/share/sounds/freedesktop/stereo"))
        : runner_(runner), themeFolder_(std::move(soundThemeFolder))
    {
    }

    void PlayFile(const QString &path) override;

    // The program and arguments that play a file, when a player is installed.
    std::optional<QStringList> PlayerCommand(const QString &path) const;
    // The program and arguments of the default event sound, when any.
    std::optional<QStringList> DefaultSoundCommand() const;

private:
    ProcessRunner &runner_;
    QString themeFolder_;
};

}  // namespace pellimore
