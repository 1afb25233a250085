#pragma once

#include <QString>

#include "platform/raster/Bitmap.h"

namespace pellimore {

class SettingsStore;

// The settings of section "ScreenSaver", as held in memory while the program
// runs. Defaults are the values a key takes when it is missing.
struct SaverSettings {
    static constexpr ColorRef kDefaultBackground = 10485760;  // dark blue: red 0, green 0, blue 160
    static constexpr ColorRef kWhite = 16777215;

    QString folder;                 // "Folder": the picture folder, empty when none
    double display = 2;             // "Display": seconds between pictures
    QString title;                  // "Title": the title line of the show
    QString font = QStringLiteral("Arial");  // "Font"
    int fontSize = 14;              // "FontSize", points
    ColorRef fontColor = kWhite;    // "FontColor"
    bool bold = true;               // "Bold"
    bool italic = false;            // "Italic"
    bool underline = false;         // "Underline"
    int index = 1;                  // "Index": the picture shown last
    bool random = false;            // "Random": random order
    bool slide = false;             // "Slide": slide show only, no transitions
    ColorRef color = kDefaultBackground;  // "Color": background colour
    int style = 0;                  // "Style": 1 solid colour, 0 vertical gradient
    QString myDocs;                 // "MyDocs": the folder offered when none is set (never written)
};

inline const QString kDefaultTitle = QStringLiteral("Wallpaper Pellimore Presents...");

// A stored boolean: "True"/"False" in any case, blanks trimmed, or a number
// (not 0 = true). Anything else gives fallback.
bool ReadBoolean(const QString &text, bool fallback);

// Typed reads and writes of section "ScreenSaver".
class SaverSettingsStore {
public:
    explicit SaverSettingsStore(SettingsStore &store) : store_(store) {}

    QString Text(const QString &key, const QString &fallback = QString()) const;
    void Write(const QString &key, const QString &value);
    // The main program's picture folder (section "Wallpaper", key "Folder").
    QString WallpaperFolder() const;

    // The keys read before the folder decision: Folder, Display, Title, Font,
    // FontSize, FontColor, Bold, Italic, Underline, each with its rule.
    void ReadAppearance(SaverSettings &settings) const;
    // The keys read only when a folder is set: Index, Random, Style, Color, Slide.
    void ReadShowKeys(SaverSettings &settings) const;
    // "MyDocs", or fallbackDocuments when it is not an existing folder.
    QString ReadMyDocs(const QString &fallbackDocuments) const;

    // The whole section, in its order (SaveSaverSettings).
    void WriteAll(const SaverSettings &settings);
    // "Index" alone (SavePictureIndex).
    void WriteIndex(int index);
    // The first-run defaults written at once: Index, Title, Display, Random,
    // Slide, Color, Style.
    void WriteFirstRunDefaults(const SaverSettings &settings);

private:
    SettingsStore &store_;
};

}  // namespace pellimore
