#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/raster/Bitmap.h"

namespace pellimore {

class PictureSurface;

// Status codes of the picture bridge; GdiErrorString gives their texts.
enum class GpStatus : int32_t {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    Win32Error = 7,
    WrongState = 8,
    Aborted = 9,
    FileNotFound = 10,
    ValueOverflow = 11,
    AccessDenied = 12,
    UnknownImageFormat = 13,
    FontFamilyNotFound = 14,
    FontStyleNotFound = 15,
    NotTrueTypeFont = 16,
    UnsupportedGdiplusVersion = 17,
    GdiplusNotInitialized = 18,
    PropertyNotFound = 19,
    PropertyNotSupported = 20,
};

// One picture encoder: the writer format it uses and the extension patterns
// (such as "*.BMP;*.DIB;*.RLE") of the files it answers to.
struct PictureEncoder {
    QByteArray format;   // "bmp" (our own BMP writer), else a Qt image writer format
    QString extensions;  // patterns separated by ";"
};

// The picture bridge: writes the persistent picture of a picture surface to a
// file in the format its extension selects (JPEG with a quality), and loads
// any picture file Qt reads. An instance lives for one save: it builds its
// encoder table from the image writers at construction and drops it when
// released.
//
// Failures are reported through the error event with a status and its text;
// the bridge shows no message itself. Writes go to a temporary file that
// replaces the target only when complete, so a failed save leaves any
// previous file untouched. Write failures map onto the statuses as follows:
//   no persistent picture, or a JPEG quality outside 0..100   InvalidParameter
//   a picture wider or higher than the format can hold        ValueOverflow
//   target is read-only, a folder, or the folder refuses us   AccessDenied
//   any other failure to create, write or rename the file     Win32Error
//   the encoder refuses the picture                           GenericError
class cGdiPlus {
public:
    // The error event: the failed call's status and its text.
    using ErrorEvent = std::function<void(int32_t lGdiError, const QString &sErrorDesc)>;

    explicit cGdiPlus(ErrorEvent onError = {});
    cGdiPlus(const cGdiPlus &) = delete;
    cGdiPlus &operator=(const cGdiPlus &) = delete;

    // Writes pic's persistent picture (not its drawing image) to sFilename in
    // the format of the name's extension. Only extensions beginning with J
    // (jpg, jpeg, jpe, jfif) take lQuality; others use the encoder's
    // defaults. A name without an extension or with one no encoder answers
    // to fails without an event. True when the file was written.
    bool PictureBoxToFile(const PictureSurface &pic, const QString &sFilename, int32_t lQuality);

    // The picture in sFilename, with transparent parts over transparent black
    // (colours multiplied by their alpha), or nothing after an error event.
    std::optional<Bitmap> FilenameToIPicture(const QString &sFilename);

    // The text of a status; 0 and unknown values give "Unknown GDI+ Error".
    static QString GdiErrorString(int32_t lError);

    // --- the encoder table ---------------------------------------------------
    int EncoderCount() const { return int(encoders_.size()); }
    const PictureEncoder &Encoder(int index) const { return encoders_.at(std::size_t(index)); }
    // Adds each pattern of list (split at separator) as a key for encoder. The
    // text after the last separator is trimmed and added only when not
    // empty; empty patterns are never keys, and a key already present keeps
    // its first encoder.
    void AddExtensionKeys(const QString &list, const QString &separator, int encoder);
    // The encoder that answers to pattern ("*.JPG"), in any case, or -1.
    int EncoderIndex(const QString &pattern) const;
    // Everything after the last "." of path, or "" when there is none or a
    // "/" follows it (a dotted folder with an extension-less file name).
    static QString FileExtension(const QString &path);

private:
    void BuildEncoderTable();
    void RaiseError(GpStatus status);
    GpStatus WriteFile(const Bitmap &picture, const PictureEncoder &encoder, const QString &path,
                       std::optional<int> quality);

    ErrorEvent onError_;
    std::vector<PictureEncoder> encoders_;
    QHash<QString, int> extensionIndex_;
};

}  // namespace pellimore
