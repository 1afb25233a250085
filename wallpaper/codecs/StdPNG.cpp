#include "wallpaper/codecs/StdPNG.h"

#include <QGuiApplication>
#include <QScreen>

#include <utility>

#include "platform/raster/Raster.h"
#include "platform/ui/Ui.h"
#include "wallpaper/codecs/png/PngMessages.h"
#include "wallpaper/codecs/png/PngPixels.h"
#include "wallpaper/codecs/png/PngText.h"

namespace pellimore {

StdPNG::StdPNG(Ui &ui) : StdPNG(ui, Options{}) {}

StdPNG::StdPNG(Ui &ui, Options options)
    : ui_(ui),
      options_(std::move(options)),
      systemColors_(options_.systemColors ? *options_.systemColors : desktopColors_),
      zlib_(options_.zlibLibrary),
      data_(std::make_unique<stdPNGdata>())
{
}

StdPNG::~StdPNG() = default;

bool StdPNG::CheckLibraries()
{
    if (librariesChecked_)
        return true;
    if (!zlib_.Bind()) {
        // The byte-order functions come with the C library; zlib is the one
        // library that can be missing.
        ui_.Message(QString::fromLatin1(png::kMsgMissingLibrary) + QLatin1Char('\n') + zlib_.LibraryName(),
                    MessageIcon::Exclamation, QString::fromLatin1(png::kTitleMissingLibrary));
        return false;
    }
    librariesChecked_ = true;
    return true;
}

void StdPNG::ResetImage()
{
    data_->Clear();
    chunks_ = png::PngChunkData{};
    onCanvas_ = false;
}

bool StdPNG::Fail(const char *text, const char *title)
{
    // The image goes first; the load counts as running until the box is
    // answered, so a load started meanwhile is refused.
    ResetImage();
    lastError_ = QString::fromLatin1(text);
    ui_.Message(lastError_, MessageIcon::Exclamation, QString::fromLatin1(title));
    state_ = 0;
    return false;
}

void StdPNG::ReleaseImage()
{
    if (state_ == 0)
        ResetImage();
}

Bitmap StdPNG::TakeImage()
{
    if (state_ != 0)
        return Bitmap();
    Bitmap image = std::exchange(data_->Image(), Bitmap());
    ResetImage();
    return image;
}

ColorRef StdPNG::ResolveColor(int32_t style) const
{
    return systemColors_.ToRgb(ColorRef(style));
}

QSize StdPNG::ScreenSize() const
{
    if (options_.screenSize)
        return *options_.screenSize;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->size();
    return QSize();
}

void StdPNG::Paint(DeviceContext &hDC, int destX, int destY, int destCx, int destCy, DeviceContext *PngDC, int pngX,
                   int pngY, int pngCx, int pngCy, uint8_t AlphaBlend)
{
    if (Inert())
        return;
    DeviceContext *source = PngDC ? PngDC : data_->Dc();
    if (!source || destCx < 0 || destCy < 0)
        return;
    const int width = data_->Image().Width();
    const int height = data_->Image().Height();
    if (destCx == 0)
        destCx = width;
    if (destCy == 0)
        destCy = height;
    if (pngCx <= 0)
        pngCx = width;
    if (pngCy <= 0)
        pngCy = height;
    if (destCx <= 0 || destCy <= 0 || pngCx <= 0 || pngCy <= 0)
        return;
    if (data_->BitCount() == 32) {
        pellimore::AlphaBlend(hDC.Target(), destX, destY, destCx, destCy, source->Target(), pngX, pngY, pngCx, pngCy,
                              AlphaBlend, true);
    } else {
        StretchBlt(hDC.Target(), destX, destY, destCx, destCy, source->Target(), pngX, pngY, pngCx, pngCy,
                   hDC.StretchBltMode(), kSrcCopy);
    }
}

const Bitmap *StdPNG::Handle() const
{
    return Inert() || data_->IsNull() ? nullptr : &data_->Image();
}

DeviceContext *StdPNG::hDC() { return Inert() ? nullptr : data_->Dc(); }

int StdPNG::Width() const { return Inert() ? 0 : chunks_.header.width; }
int StdPNG::Height() const { return Inert() ? 0 : chunks_.header.height; }
bool StdPNG::IsInterlaced() const { return !Inert() && chunks_.header.interlace == 1; }
uint8_t StdPNG::ColorType() const { return Inert() ? 0 : chunks_.header.colorType; }

QString StdPNG::Comments(const QString &sNoCommentPrefix) const
{
    if (Inert())
        return QString();
    const QString comments = zlib_.IsBound() ? png::ListComments(chunks_.ancillary.texts, zlib_) : QString();
    return comments.isEmpty() ? sNoCommentPrefix : comments;
}

QDateTime StdPNG::LastModified() const
{
    if (Inert() || !chunks_.ancillary.time)
        return QDateTime();
    const png::PngTime &t = *chunks_.ancillary.time;
    const QDate date(t.year, t.month, t.day);
    const QTime time(t.hour, t.minute, t.second);
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    return QDateTime(date, time, Qt::UTC);
}

double StdPNG::GammaCorrection() const
{
    return Inert() || !chunks_.ancillary.gamma ? 0.0 : *chunks_.ancillary.gamma / 100000.0;
}

std::vector<double> StdPNG::Chromaticity() const
{
    std::vector<double> values;
    if (Inert() || !chunks_.ancillary.chromaticity)
        return values;
    for (uint32_t v : *chunks_.ancillary.chromaticity)
        values.push_back(v / 100000.0);
    return values;
}

std::optional<PngAspectRatio> StdPNG::AspectRatio() const
{
    if (Inert() || !chunks_.ancillary.physical)
        return std::nullopt;
    const png::PngPhysical &p = *chunks_.ancillary.physical;
    return PngAspectRatio{p.x, p.y, p.unit};
}

std::optional<PngOffsetValues> StdPNG::Offsets() const
{
    if (Inert() || !chunks_.ancillary.offsets)
        return std::nullopt;
    const png::PngOffsets &o = *chunks_.ancillary.offsets;
    return PngOffsetValues{o.x, o.y, o.unit};
}

int StdPNG::StdRGB() const { return Inert() ? 0 : chunks_.ancillary.standardRgb; }
int StdPNG::ScanLineWidth() const { return Inert() ? 0 : data_->ScanLineWidth(); }
int StdPNG::BitCount_PNG() const { return Inert() ? 0 : png::BitsPerPixel(chunks_.header); }
int StdPNG::BitCount_BMP() const { return Inert() ? 0 : data_->BitCount(); }

bool StdPNG::HasOwnDC() const { return !Inert() && hasOwnDC_; }

void StdPNG::SetHasOwnDC(bool bCreateDC)
{
    if (Inert())
        return;
    hasOwnDC_ = bCreateDC;
    if (bCreateDC)
        data_->CreateDC();
    else
        data_->DeleteDC();
}

int32_t StdPNG::TransparentStyle() const { return Inert() ? 0 : transparentStyle_; }

void StdPNG::SetTransparentStyle(int32_t BkgStyle)
{
    if (!Inert())
        transparentStyle_ = BkgStyle;
}

QByteArray StdPNG::Palette() const
{
    if (Inert())
        return QByteArray();
    return QByteArray(reinterpret_cast<const char *>(chunks_.palette.data()), qsizetype(chunks_.palette.size()));
}

void StdPNG::SetPalette(const QByteArray &newPalette)
{
    if (Inert() || newPalette.isEmpty() || newPalette.size() % 3 != 0 || newPalette.size() > 256 * 3)
        return;
    chunks_.palette.assign(newPalette.begin(), newPalette.end());
    // A palette bitmap takes the new colours: its table and every pixel.
    Bitmap &image = data_->Image();
    const ZeroedVector<uint8_t> &indices = data_->Indices();
    if (chunks_.header.colorType != png::kPalette || data_->BitCount() > 8 || indices.empty())
        return;
    std::array<Pixel, 256> colors{};
    for (int i = 0; i < 256; ++i)
        colors[i] = png::PaletteEntry(chunks_.palette, chunks_.transparency, i, false);
    const std::size_t tableSize = std::min<std::size_t>(chunks_.palette.size() / 3, std::size_t(1) << image.BitCount());
    image.ColorTable().assign(colors.begin(), colors.begin() + std::ptrdiff_t(tableSize));
    const std::size_t width = std::size_t(image.Width());
    for (int y = 0; y < image.Height(); ++y) {
        Pixel *row = image.Row(y);
        const uint8_t *index = indices.data() + std::size_t(y) * width;
        for (std::size_t x = 0; x < width; ++x)
            row[x] = colors[index[x]];
    }
}

uint8_t StdPNG::ProgressiveDisplay() const { return Inert() ? 0 : progressiveDisplay_; }

void StdPNG::SetProgressiveDisplay(uint8_t DisplayType)
{
    if (!Inert() && DisplayType <= 6)
        progressiveDisplay_ = DisplayType;
}

}  // namespace pellimore
