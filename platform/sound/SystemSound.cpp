#include "platform/sound/SystemSound.h"

#include <QApplication>
#include <QFileInfo>

#include "platform/desktop/ProcessRunner.h"

namespace pellimore {

std::optional<QStringList> SystemSound::PlayerCommand(const QString &path) const
{
    const QList<QStringList> players = {
        {QStringLiteral("paplay"), path},
        {QStringLiteral("pw-play"), path},
        {QStringLiteral("aplay"), QStringLiteral("-q"), path},
        {QStringLiteral("canberra-gtk-play"), QStringLiteral("-f"), path},
    };
    for (const QStringList &player : players) {
        if (runner_.Exists(player.front()))
            return player;
    }
    return std::nullopt;
}

std::optional<QStringList> SystemSound::DefaultSoundCommand() const
{
    if (runner_.Exists(QStringLiteral("canberra-gtk-play")))
        return QStringList{QStringLiteral("canberra-gtk-play"), QStringLiteral("-i"), QStringLiteral("bell")};
    for (const QString &name : {QStringLiteral("bell.oga"), QStringLiteral("bell.wav")}) {
        const QString file = themeFolder_ + QLatin1Char('/') + name;
        if (!QFileInfo(file).isFile())
            continue;
        // aplay plays only WAV files.
        for (const QString &player : {QStringLiteral("paplay"), QStringLiteral("pw-play")}) {
            if (runner_.Exists(player))
                return QStringList{player, file};
        }
    }
    return std::nullopt;
}

void SystemSound::PlayFile(const QString &path)
{
    std::optional<QStringList> command;
    if (!path.isEmpty() && QFileInfo(path).isFile())
        command = PlayerCommand(path);
    else
        command = DefaultSoundCommand();
    if (command && runner_.Launch(command->front(), command->mid(1)))
        return;
    QApplication::beep();
}

}  // namespace pellimore
