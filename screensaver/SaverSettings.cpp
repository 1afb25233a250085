#include "screensaver/SaverSettings.h"

#include <cmath>

#include "platform/store/SettingsStore.h"
#include "screensaver/ScreenSaverPaths.h"

namespace pellimore {

double LeadingNumber(const QString &text)
{
    int i = 0;
    while (i < text.size() && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    const int start = i;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isDigit() && c.unicode() < 128) {
            digits = true;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0;
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0;
}

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

QString NumberText(double value)
{
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', 7);
}

namespace {

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
    return store_.GetSetting(kStoreApplication, kSaverSection, key, fallback);
}

void SaverSettingsStore::Write(const QString &key, const QString &value)
{
    store_.SaveSetting(kStoreApplication, kSaverSection, key, value);
}

QString SaverSettingsStore::WallpaperFolder() const
{
    return store_.GetSetting(kStoreApplication, kWallpaperSection, QStringLiteral("Folder"), QString());
}

void SaverSettingsStore::ReadAppearance(SaverSettings &s) const
{
    s.folder = Text(QStringLiteral("Folder"));

    // 0, above 120 or below 0 (which would make the show race) become 2 seconds.
    s.display = LeadingNumber(Text(QStringLiteral("Display"), QStringLiteral("2")));
    if (s.display <= 0 || s.display > 120)
        s.display = 2;

    s.title = Text(QStringLiteral("Title"));
    if (s.title.trimmed().isEmpty())
        s.title = kDefaultTitle;

    s.font = Text(QStringLiteral("Font"), QStringLiteral("Arial"));
    if (s.font.trimmed().isEmpty())
        s.font = QStringLiteral("Arial");
    s.fontSize = RoundedInt(LeadingNumber(Text(QStringLiteral("FontSize"), QStringLiteral("14"))));
    if (s.fontSize < 1)
        s.fontSize = 14;  // a font cannot be drawn at 0 points or fewer
    s.fontColor = ColorFrom(Text(QStringLiteral("FontColor"), QStringLiteral("16777215")));
    s.bold = ReadBoolean(Text(QStringLiteral("Bold"), QStringLiteral("True")), true);
    s.italic = ReadBoolean(Text(QStringLiteral("Italic"), QStringLiteral("False")), false);
    s.underline = ReadBoolean(Text(QStringLiteral("Underline"), QStringLiteral("False")), false);
}

void SaverSettingsStore::ReadShowKeys(SaverSettings &s) const
{
    // 0, and negative values that would index before the list, become 1.
    s.index = RoundedInt(LeadingNumber(Text(QStringLiteral("Index"), QStringLiteral("1"))));
    if (s.index < 1)
        s.index = 1;
    s.random = LeadingNumber(Text(QStringLiteral("Random"), QStringLiteral("0"))) != 0;
    s.style = RoundedInt(LeadingNumber(Text(QStringLiteral("Style"), QStringLiteral("0"))));
    s.color = ColorFrom(Text(QStringLiteral("Color"), QStringLiteral("10485760")));
    s.slide = LeadingNumber(Text(QStringLiteral("Slide"), QStringLiteral("0"))) != 0;
}

QString SaverSettingsStore::ReadMyDocs(const QString &fallbackDocuments) const
{
    const QString myDocs = Text(QStringLiteral("MyDocs"));
    return FolderExists(myDocs) ? myDocs : fallbackDocuments;
}

void SaverSettingsStore::WriteAll(const SaverSettings &s)
{
    const auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    const auto boolean = [](bool on) { return on ? QStringLiteral("True") : QStringLiteral("False"); };
    Write(QStringLiteral("Folder"), s.folder);
    Write(QStringLiteral("Display"), NumberText(s.display));
    Write(QStringLiteral("Random"), flag(s.random));
    Write(QStringLiteral("Title"), s.title);
    Write(QStringLiteral("Slide"), flag(s.slide));
    Write(QStringLiteral("Color"), NumberText(s.color));
    Write(QStringLiteral("Style"), s.style == 1 ? QStringLiteral("1") : QStringLiteral("0"));
    Write(QStringLiteral("Font"), s.font);
    Write(QStringLiteral("Bold"), boolean(s.bold));
    Write(QStringLiteral("Italic"), boolean(s.italic));
    Write(QStringLiteral("FontSize"), NumberText(s.fontSize));
    Write(QStringLiteral("FontColor"), NumberText(s.fontColor));
    Write(QStringLiteral("Underline"), boolean(s.underline));
}

void SaverSettingsStore::WriteIndex(int index) { Write(QStringLiteral("Index"), NumberText(index)); }

void SaverSettingsStore::WriteFirstRunDefaults(const SaverSettings &s)
{
    Write(QStringLiteral("Index"), QStringLiteral("1"));
    Write(QStringLiteral("Title"), s.title);
    Write(QStringLiteral("Display"), NumberText(s.display));
    Write(QStringLiteral("Random"), QStringLiteral("0"));
    Write(QStringLiteral("Slide"), QStringLiteral("0"));
    Write(QStringLiteral("Color"), QStringLiteral("10485760"));
    Write(QStringLiteral("Style"), QStringLiteral("0"));
}

}  // namespace pellimore
