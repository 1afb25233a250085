#pragma once

// The animated GIF control's persisted properties: a property bag that the
// form holding the control saves and restores, either as a group of the
// settings store or as one byte blob.

#include <QByteArray>
#include <QString>

#include <optional>

#include "platform/raster/Bitmap.h"

namespace pellimore {

class SettingsStore;

struct GifControlProperties {
    std::optional<int> nrLoops;      // gifMaxLoops; nothing when never stored (reads as 0)
    bool autoSize = true;            // AutoSize
    ColorRef bkColor = 0x8000000F;   // BackColor
    int minDelay = 50;               // gifMinFrameDelay
    int scaleFactor = 0;             // Stretch
    int scaleMode = 0;               // StretchMethod
    QByteArray fileData;             // the whole GIF file; empty when none is stored

    // "fileLen": the index of the last stored byte, 0 when no GIF is stored.
    int64_t FileLen() const { return fileData.isEmpty() ? 0 : fileData.size() - 1; }

    bool operator==(const GifControlProperties &) const = default;

    // Keys of the bag.
    static constexpr const char *kNrLoops = "nrLoops";
    static constexpr const char *kAutoSize = "autoSize";
    static constexpr const char *kBkColor = "bkColor";
    static constexpr const char *kMinDelay = "minDelay";
    static constexpr const char *kScaleFactor = "scaleFactor";
    static constexpr const char *kScaleMode = "scaleMode";
    static constexpr const char *kFileLen = "fileLen";
    static constexpr const char *kFileData = "fileData";

    // Writes every key into section of application in the store (numbers as
    // decimal text, the file as base64 text). False when a value could not
    // be stored.
    bool SaveToStore(SettingsStore &store, const QString &application, const QString &section) const;
    // Reads the keys back; a missing or unreadable key takes its default, and
    // file data whose length disagrees with "fileLen" is dropped.
    static GifControlProperties LoadFromStore(const SettingsStore &store, const QString &application,
                                              const QString &section);

    // The same bag as one blob (a versioned key/value stream).
    QByteArray ToBlob() const;
    // Nothing when the blob is not such a bag; keys it lacks take their defaults.
    static std::optional<GifControlProperties> FromBlob(const QByteArray &blob);
};

}  // namespace pellimore
