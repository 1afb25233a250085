#include "screensaver/SaverSettings.h"

#include <cmath>

#include "platform/shell/PathHelpers.h"
#include "platform/store/SettingsKeys.h"
#include "platform/store/SettingsStore.h"
#include "platform/store/ValueText.h"

namespace pellimore {

bool ReadBoolean(const QString &text, bool fallback)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = trimmed.toDouble(&ok);
    return ok ? number != 0 : fallback;
}

namespace {

using Keys = ScreenSaverKeys;

// A colour as stored (decimal). The program writes plain RGB values; the top
// byte of anything else is dropped, since the saver has no system colours.
ColorRef ColorFrom(const QString &text) { return ColorRef(int64_t(LeadingNumber(text))) & 0xFFFFFFu; }

int RoundedInt(double value)
{
    if (!(value > -2147483648.0 && value < 2147483647.0))
        return 0;
    return int(std::lround(value));
}

}  // namespace

QString SaverSettingsStore::Text(const QString &key, const QString &fallback) const
{
    return store_.GetSetting(kApplicationName, ScreenSaverKeys::kSection, key, fallback);
}

void SaverSettingsStore::Write(const QString &key, const QString &value)
{
    store_.SaveSetting(kApplicationName, ScreenSaverKeys::kSection, key, value);
}

QString SaverSettingsStore::WallpaperFolder() const
{
    return store_.GetSetting(kApplicationName, WallpaperKeys::kSection, WallpaperKeys::kFolder, QString());
}

void SaverSettingsStore::ReadAppearance(SaverSettings &s) const
{
    s.folder = Text(Keys::kFolder);

    // 0, above 120 or below 0 (which would make the show race) become 2 seconds.
    s.display = LeadingNumber(Text(Keys::kDisplay, QStringLiteral("2")));
    if (s.display <= 0 || s.display > 120)
        s.display = 2;

    s.title = Text(Keys::kTitle);
    if (s.title.trimmed().isEmpty())
        s.title = kDefaultTitle;

    s.font = Text(Keys::kFont, QStringLiteral("Arial"));
    if (s.font.trimmed().isEmpty())
        s.font = QStringLiteral("Arial");
    s.fontSize = RoundedInt(LeadingNumber(Text(Keys::kFontSize, QStringLiteral("14"))));
    if (s.fontSize < 1)
        s.fontSize = 14;  // a font cannot be drawn at 0 points or fewer
    s.fontColor = ColorFrom(Text(Keys::kFontColor, QStringLiteral("16777215")));
    s.bold = ReadBoolean(Text(Keys::kBold, QStringLiteral("True")), true);
    s.italic = ReadBoolean(Text(Keys::kItalic, QStringLiteral("False")), false);
    s.underline = ReadBoolean(Text(Keys::kUnderline, QStringLiteral("False")), false);
}

void SaverSettingsStore::ReadShowKeys(SaverSettings &s) const
{
    // 0, and negative values that would index before the list, become 1.
    s.index = RoundedInt(LeadingNumber(Text(Keys::kIndex, QStringLiteral("1"))));
    if (s.index < 1)
        s.index = 1;
    s.random = LeadingNumber(Text(Keys::kRandom, QStringLiteral("0"))) != 0;
    s.style = RoundedInt(LeadingNumber(Text(Keys::kStyle, QStringLiteral("0"))));
    s.color = ColorFrom(Text(Keys::kColor, QStringLiteral("10485760")));
    s.slide = LeadingNumber(Text(Keys::kSlide, QStringLiteral("0"))) != 0;
}

QString SaverSettingsStore::ReadMyDocs(const QString &fallbackDocuments) const
{
    const QString myDocs = Text(Keys::kMyDocs);
    return TrimmedFolderExists(myDocs) ? myDocs : fallbackDocuments;
}

void SaverSettingsStore::WriteAll(const SaverSettings &s)
{
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    const auto boolean = [](bool on) { return on ? QStringLiteral("True") : QStringLiteral("False"); };
    Write(Keys::kFolder, s.folder);
    Write(Keys::kDisplay, PlainNumberText(s.display));
    Write(Keys::kRandom, flag(s.random));
    Write(Keys::kTitle, s.title);
    Write(Keys::kSlide, flag(s.slide));
    Write(Keys::kColor, PlainNumberText(s.color));
    Write(Keys::kStyle, s.style == 1 ? QStringLiteral("1") : QStringLiteral("0"));
    Write(Keys::kFont, s.font);
    Write(Keys::kBold, boolean(s.bold));
    Write(Keys::kItalic, boolean(s.italic));
    Write(Keys::kFontSize, PlainNumberText(s.fontSize));
    Write(Keys::kFontColor, PlainNumberText(s.fontColor));
    Write(Keys::kUnderline, boolean(s.underline));
}

void SaverSettingsStore::WriteIndex(int index) { Write(Keys::kIndex, PlainNumberText(index)); }

void SaverSettingsStore::WriteFirstRunDefaults(const SaverSettings &s)
{
    Write(Keys::kIndex, QStringLiteral("1"));
    Write(Keys::kTitle, s.title);
    Write(Keys::kDisplay, PlainNumberText(s.display));
    Write(Keys::kRandom, QStringLiteral("0"));
    Write(Keys::kSlide, QStringLiteral("0"));
    Write(Keys::kColor, QStringLiteral("10485760"));
    Write(Keys::kStyle, QStringLiteral("0"));
}

}  // namespace pellimore
