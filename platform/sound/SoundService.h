#pragma once

#include <QString>

namespace pellimore {

// Plays short sounds without blocking the caller.
class SoundService {
public:
    virtual ~SoundService() = default;
    // Starts playing a WAV file and returns at once. A missing file plays the
    // desktop's default event sound instead. Nothing is reported.
    virtual void PlayFile(const QString &path) = 0;
};

}  // namespace pellimore
