#include "wallpaper/window/DesignerModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/help/HelpService.h"
#include "platform/imageio/PictureLoader.h"
#include "platform/shell/PathHelpers.h"
#include "platform/shell/ShellFolders.h"
#include "platform/store/SettingsKeys.h"
#include "platform/store/SettingsStore.h"
#include "platform/ui/Ui.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/PictureData.h"
#include "wallpaper/changer/StartUp.h"
#include "wallpaper/changer/WallpaperInstaller.h"
#include "wallpaper/codecs/PictureLoading.h"
#include "wallpaper/designer/modGradients.h"
#include "wallpaper/window/MainWindowModel.h"

namespace pellimore {

namespace {

// Backgrounds this small both ways are also shown at their actual size.
constexpr int kLargestTileView = 400;

QString FolderFile(const ChangerState &state, const QString &name)
{
    return AddTrailingBackslash(state.PictureFolder) + name;
}

// The file name without its last four characters (the extension).
QString WithoutExtension(const QString &name)
{
    return name.left(std::max<qsizetype>(0, name.size() - 4));
}

}  // namespace

DesignerModel::DesignerModel(MainWindowModel &main, DesignerView &view)
    : main_(main),
      view_(view),
      state_(main.App().State()),
      settings_(main.Designer().settings),
      compositor_(main.Designer().compositor)
{
    main_.SetDesignerListener(this);
}

DesignerModel::~DesignerModel()
{
    main_.SetDesignerListener(nullptr);
}

const QStringList &DesignerModel::BackgroundNames() const
{
    return main_.App().Library().BackgroundNames();
}

ColorRef DesignerModel::StartColor() const
{
    return settings_.channels.StartColor();
}

ColorRef DesignerModel::EndColor() const
{
    return settings_.channels.EndColor();
}

std::optional<ColorRef> DesignerModel::SamplingColor() const
{
    if (!sampling_)
        return std::nullopt;
    return pickedColor_;
}

QString DesignerModel::ScreenResolutionText() const
{
    return QStringLiteral("Desktop = %1 x %2").arg(state_.DesktopWidth).arg(state_.DesktopHeight);
}

const Bitmap &DesignerModel::MonitorPicture() const
{
    return main_.Pics().MonitorFor(QSize(state_.DesktopWidth, state_.DesktopHeight));
}

QRect DesignerModel::PreviewInMonitor() const
{
    return FitMonitorPreview(QSize(state_.DesktopWidth, state_.DesktopHeight), QPoint(0, 0));
}

const Bitmap &DesignerModel::WindowTile() const
{
    return main_.Pics().imgPellimore();
}

QString DesignerModel::BackgroundFolder() const
{
    return main_.App().Library().BackgroundsPath();
}

QString DesignerModel::BackgroundPath() const
{
    return type_ == BackgroundType::Gradient ? kUseGradient : settings_.background;
}

// ---------------------------------------------------------------------------
// Load

void DesignerModel::Form_Load()
{
    PictureViewModel &front = main_.Picture();
    const PictureSurface &source = front.Source();
    const QSize picture = source.HasPicture() ? QSize(source.Picture().Width(), source.Picture().Height())
                                              : QSize(source.Width(), source.Height());
    settings_.marginText[0] = QString::number(picture.width() + kDefaultMargin > state_.DesktopWidth ? 0 : kDefaultMargin);
    settings_.marginText[1] =
        QString::number(picture.height() + kDefaultMargin > state_.DesktopHeight ? 0 : kDefaultMargin);

    const PictureRecord *entry = front.CurrentEntry();
    settings_.backgroundOnly = false;
    settings_.border = false;
    settings_.gradientKind = 0;
    settings_.reverse = false;
    settings_.toCenter = false;
    settings_.orientation = FrontOrientation::Center;
    settings_.backColor = entry ? entry->BackColor & 0xFFFFFF : state_.DesktopColor;
    const QString frontName = entry ? entry->FileName : QString();
    const QString frontType = PictureType(frontName);
    settings_.frontIsPng = frontType == QLatin1String("PNG");
    settings_.frontIsTransparentGif = frontType == QLatin1String("GIF") && !main_.SelectedGifPicture().IsNull() &&
                                      main_.SelectedGifPicture().ToImage().hasAlphaChannel();
    MainWindowModel::DesignerParts parts = main_.Designer();
    compositor_.SetFrontSources({&parts.png, settings_.frontIsTransparentGif ? &main_.SelectedGifPicture() : nullptr});

    modGradients &gradients = parts.gradients;
    gradients.SetStartColor(StartColor());
    gradients.SetEndColor(EndColor());
    gradients.SetAngle(90);

    const QRect place = PreviewInMonitor();
    for (PictureSurface *preview : {&picThumb_, &picThumbBk_, &picThumbCombo_}) {
        preview->SetScaleMode(ScaleUnit::Pixels);
        preview->SetBackColor(settings_.backColor);
        preview->Resize(place.width(), place.height());
        preview->Cls();
    }
    picThumb_.SetPicture(front.Thumbnail().Image());

    type_ = BackgroundType::Picture;
    selectedBackground_ = -1;
    saveEnabled_ = false;
    previewEnabled_ = false;
    savedShown_ = false;
    main_.App().Library().ScanBackgrounds();
    compositor_.RefreshSourcePicture(parts.window, picThumbBk_);
    picThumbBk_.ClearPicture();
    picThumbBk_.Cls();
    loaded_ = true;
    main_.HideMainWindow();
    view_.UpdateControls();
}

// ---------------------------------------------------------------------------
// Backgrounds

void DesignerModel::BackgroundListReset()
{
    if (selectedBackground_ >= BackgroundNames().size())
        selectedBackground_ = -1;
    view_.UpdateControls();
}

void DesignerModel::FileList_Click(int index)
{
    if (index < 0 || index >= BackgroundNames().size())
        return;
    RevertWallpaper();
    selectedBackground_ = index;
    savedShown_ = false;
    saveEnabled_ = true;
    previewEnabled_ = true;
    CreateThumbs();
}

void DesignerModel::CreateThumbs()
{
    if (selectedBackground_ < 0 || selectedBackground_ >= BackgroundNames().size()) {
        view_.UpdateControls();
        return;
    }
    const QString name = BackgroundNames().at(selectedBackground_);
    const QString path = AddTrailingBackslash(BackgroundFolder()) + name;
    MainWindowModel::DesignerParts parts = main_.Designer();
    if (!QFileInfo::exists(path)) {
        // Gone: the list is read again and the entry before is chosen.
        const int before = std::max(0, selectedBackground_ - 1);
        selectedBackground_ = -1;
        main_.App().Library().ScanBackgrounds();
        if (!BackgroundNames().isEmpty())
            FileList_Click(std::min(before, int(BackgroundNames().size()) - 1));
        view_.UpdateControls();
        return;
    }
    PictureResult loaded = LoadPicture(path);
    if (!loaded.Ok()) {
        // There but unreadable: nothing to design with; the list stays.
        tile_ = Bitmap();
        for (PictureSurface *preview : {&picThumbBk_, &picThumbCombo_}) {
            preview->ClearPicture();
            preview->Cls();
        }
        saveEnabled_ = false;
        previewEnabled_ = false;
        view_.UpdateControls();
        return;
    }
    view_.SetBusy(true);
    PictureSurface &source = parts.window.picSource;
    source.ClearPicture();
    source.Resize(loaded.bitmap.Width(), loaded.bitmap.Height());
    source.SetPicture(loaded.bitmap);
    settings_.background = path;
    if (type_ == BackgroundType::Picture)
        backgroundName_ = WithoutExtension(name);
    const bool small = loaded.bitmap.Width() <= kLargestTileView && loaded.bitmap.Height() <= kLargestTileView;
    tile_ = small ? loaded.bitmap : Bitmap();
    picThumbBk_.ClearPicture();
    picThumbBk_.Cls();
    picThumbCombo_.ClearPicture();
    picThumbCombo_.Cls();
    state_.SmallPicture = 2 * loaded.bitmap.Width() <= state_.DesktopWidth &&
                          2 * loaded.bitmap.Height() <= state_.DesktopHeight;
    compositor_.PreviewInStyle(parts.window, picThumbBk_, true);
    ComposeThumbnail();
    view_.SetBusy(false);
    view_.UpdateControls();
}

void DesignerModel::optBackType_Click(BackgroundType type)
{
    RevertWallpaper();
    type_ = type;
    if (type == BackgroundType::Picture) {
        saveEnabled_ = false;
        picThumbBk_.ClearPicture();
        picThumbBk_.Cls();
        picThumbCombo_.ClearPicture();
        picThumbCombo_.Cls();
        CreateThumbs();
        // A chosen background can be saved again at once.
        saveEnabled_ = selectedBackground_ >= 0;
    } else {
        saveEnabled_ = true;
        previewEnabled_ = true;
        tile_ = Bitmap();
        CreateGradient();
    }
    view_.UpdateControls();
}

// ---------------------------------------------------------------------------
// Gradient

void DesignerModel::CreateGradient()
{
    MainWindowModel::DesignerParts parts = main_.Designer();
    parts.gradients.SetAngle(GradientAngle(settings_.gradientKind, settings_.reverse));
    PaintBackgroundGradient(picThumbBk_, parts.gradients, settings_.channels, settings_.gradientKind,
                            settings_.reverse, settings_.toCenter);
    ComposeThumbnail();
    view_.UpdateControls();
}

void DesignerModel::optGrad_Click(int kind)
{
    RevertWallpaper();
    settings_.gradientKind = std::clamp(kind, 0, 3);
    if (settings_.gradientKind != int(GradientKind::Diagonal))
        settings_.toCenter = false;
    CreateGradient();
}

void DesignerModel::ckReverse_Click(bool checked)
{
    RevertWallpaper();
    settings_.reverse = checked;
    CreateGradient();
}

void DesignerModel::ckDiagonal_Click(bool checked)
{
    RevertWallpaper();
    settings_.toCenter = checked;
    CreateGradient();
}

void DesignerModel::StoreColor(ColorRef color)
{
    modGradients &gradients = main_.Designer().gradients;
    const ColorParts parts = SplitColor(color);
    GradientChannels &channels = settings_.channels;
    if (colorTarget_ == 0) {
        gradients.SetStartColor(color);
        channels.startRed = parts.red;
        channels.startGreen = parts.green;
        channels.startBlue = parts.blue;
    } else {
        gradients.SetEndColor(color);
        channels.endRed = parts.red;
        channels.endGreen = parts.green;
        channels.endBlue = parts.blue;
    }
    CreateGradient();
}

void DesignerModel::lblGradient_Click(int index)
{
    RevertWallpaper();
    colorTarget_ = index == 1 ? 1 : 0;
    const PickedColor picked =
        PickColor(main_.App().GetPlatform().ui, colorTarget_ == 0 ? StartColor() : EndColor());
    if (picked.cancelled) {
        view_.UpdateControls();
        return;
    }
    pickedColor_ = picked.color;
    StoreColor(picked.color);
}

void DesignerModel::optColor_Click(int index)
{
    colorTarget_ = index == 1 ? 1 : 0;
    view_.UpdateControls();
}

void DesignerModel::imgCursor_MouseDown()
{
    RevertWallpaper();
    pickedColor_ = colorTarget_ == 0 ? StartColor() : EndColor();
    sampling_ = true;
    view_.UpdateControls();
}

void DesignerModel::Timer1_Timer()
{
    if (!sampling_)
        return;
    if (const std::optional<ColorRef> color = view_.ScreenColorUnderPointer())
        pickedColor_ = *color & 0xFFFFFF;
    view_.UpdateControls();
}

void DesignerModel::imgCursor_MouseUp()
{
    if (!sampling_)
        return;
    sampling_ = false;
    StoreColor(pickedColor_);
}

void DesignerModel::ScreenColorPicked(ColorRef color)
{
    RevertWallpaper();
    sampling_ = false;
    pickedColor_ = color & 0xFFFFFF;
    StoreColor(pickedColor_);
}

// ---------------------------------------------------------------------------
// Orientation, margins, border, background only

void DesignerModel::ComposeThumbnail()
{
    compositor_.ComposeThumbnail(picThumbBk_, picThumbCombo_);
}

void DesignerModel::optOrient_Click(int index)
{
    RevertWallpaper();
    settings_.orientation = FrontOrientation(std::clamp(index, 0, 4));
    if (settings_.orientation != FrontOrientation::Center)
        view_.FocusSetMargins();
    previewEnabled_ = true;
    ComposeThumbnail();
    view_.UpdateControls();
}

bool DesignerModel::txtMargin_KeyPress(int box, QChar key, bool backspace)
{
    (void)box;
    previewEnabled_ = false;
    view_.UpdateControls();
    return backspace || (key >= QLatin1Char('0') && key <= QLatin1Char('9'));
}

void DesignerModel::txtMargin_Change(int box, const QString &text)
{
    if (box == 1 || box == 2)
        settings_.marginText[box - 1] = text;
}

void DesignerModel::cmdMargin_Click()
{
    optOrient_Click(int(settings_.orientation));
}

void DesignerModel::ckBorder_Click(bool checked)
{
    RevertWallpaper();
    settings_.border = checked;
    if (picThumbCombo_.HasPicture())
        ComposeThumbnail();
    view_.UpdateControls();
}

void DesignerModel::lblBorder_Click()
{
    const PickedColor picked = PickColor(main_.App().GetPlatform().ui, settings_.borderColor);
    if (picked.cancelled)
        return;
    settings_.borderColor = picked.color;
    ckBorder_Click(true);
}

void DesignerModel::ckNoFrontPic_Click(bool checked)
{
    RevertWallpaper();
    settings_.backgroundOnly = checked;
    picThumb_.ClearPicture();
    picThumb_.Cls();
    if (!checked)
        picThumb_.SetPicture(main_.Picture().Thumbnail().Image());
    RebuildPreviews();
}

void DesignerModel::RebuildPreviews()
{
    if (type_ == BackgroundType::Gradient) {
        CreateGradient();
        return;
    }
    picThumbCombo_.ClearPicture();
    picThumbCombo_.Cls();
    CreateThumbs();
}

// ---------------------------------------------------------------------------
// Desktop preview

void DesignerModel::InstallPreview(const QString &path)
{
    WallpaperInstaller &installer = main_.App().Installer();
    if (state_.NoActiveDesktop == 1) {
        installer.Desktop().SetWallpaper(path, installer.DesktopStyle());
        return;
    }
    installer.SetWallpaperActiveDesktop(path, WallpaperStyle::Centered, false, false);
    if (state_.ActiveDesktopFailed) {
        state_.NoActiveDesktop = 1;
        installer.Desktop().SetWallpaper(path, installer.DesktopStyle());
        state_.ActiveDesktopFailed = false;
    }
}

void DesignerModel::NotePreview(bool running)
{
    SettingsStore &store = main_.App().GetPlatform().store;
    if (running)
        store.SaveSetting(kApplicationName, WallpaperKeys::kSection, kDesignerPreviewKey, QStringLiteral("1"));
    else
        store.DeleteSetting(kApplicationName, WallpaperKeys::kSection, kDesignerPreviewKey);
}

void DesignerModel::cmdPreview_Click()
{
    if (previewing_) {
        EndDesktopPreview();
        return;
    }
    view_.SetBusy(true);
    const QString saved = compositor_.ComposeWallpaper(BackgroundPath(), QStringLiteral("Temp"), true);
    if (saved.isEmpty()) {
        view_.SetBusy(false);
        view_.UpdateControls();
        return;
    }
    NotePreview(true);
    InstallPreview(FolderFile(state_, kPreviewComboName));
    previewing_ = true;
    view_.SetBusy(false);
    view_.UpdateControls();
}

void DesignerModel::EndDesktopPreview()
{
    RevertWallpaper();
    view_.UpdateControls();
}

void DesignerModel::RevertWallpaper()
{
    if (!previewing_)
        return;
    QFile::remove(FolderFile(state_, kPreviewComboName));
    WallpaperInstaller &installer = main_.App().Installer();
    if (state_.DesktopColor != settings_.backColor)
        installer.SetDesktopColor(state_.DesktopColor);
    const QString own = FolderFile(state_, kRenderedWallpaperName);
    if (QFileInfo::exists(own))
        installer.Desktop().SetWallpaper(own, installer.DesktopStyle());
    previewing_ = false;
    NotePreview(false);
}

void DesignerModel::RevertInterruptedPreview(MainWindowModel &main)
{
    WallpaperApp &app = main.App();
    SettingsStore &store = app.GetPlatform().store;
    if (store.GetSetting(kApplicationName, WallpaperKeys::kSection, kDesignerPreviewKey).isEmpty())
        return;
    store.DeleteSetting(kApplicationName, WallpaperKeys::kSection, kDesignerPreviewKey);
    const ChangerState &state = app.State();
    QFile::remove(FolderFile(state, kPreviewComboName));
    WallpaperInstaller &installer = app.Installer();
    installer.SetDesktopColor(state.DesktopColor);
    const QString own = FolderFile(state, kRenderedWallpaperName);
    if (QFileInfo::exists(own))
        installer.Desktop().SetWallpaper(own, installer.DesktopStyle());
}

// ---------------------------------------------------------------------------
// Save, remove, add, close

void DesignerModel::cmdSavePic_Click()
{
    // The desktop goes back to the program's own wallpaper: the temporary
    // picture is deleted and must not stay on the desktop.
    RevertWallpaper();
    view_.SetBusy(true);
    savedShown_ = true;
    savedText_ = kSavingText;
    view_.UpdateControls();

    QString name;
    if (settings_.backgroundOnly)
        name = type_ == BackgroundType::Gradient ? QStringLiteral("Gradient") : backgroundName_;
    else
        name = main_.SelectedBaseName();
    const QString saved = compositor_.ComposeWallpaper(BackgroundPath(), name, false);
    savedText_ = kSavedText;
    PictureLibrary &library = main_.App().Library();
    library.RefreshPictureList();
    view_.SetBusy(false);
    if (saved.isEmpty()) {
        view_.UpdateControls();
        return;
    }
    library.SelectListItem(saved);
    view_.UpdateControls();
    view_.CloseWindow();
}

void DesignerModel::cmdRemove_Click()
{
    RevertWallpaper();
    Ui &ui = main_.App().GetPlatform().ui;
    const bool valid = selectedBackground_ >= 0 && selectedBackground_ < BackgroundNames().size();
    const QString name = valid ? BackgroundNames().at(selectedBackground_) : QString();
    const QString path = AddTrailingBackslash(BackgroundFolder()) + name;
    if (!valid || !QFileInfo::exists(path)) {
        ui.Message(kRemoveBackgroundHint, MessageIcon::None, kApplicationTitle);
        return;
    }
    const QString removeFolder = AddTrailingBackslash(state_.PictureFolder) + kRemoveFolderName;
    QDir().mkpath(removeFolder);
    if (ui.Message(QStringLiteral("Remove ") + name + QStringLiteral(" from Backgrounds list?"),
                   MessageIcon::Question, kApplicationTitle, MessageButtons::YesNo) != MessageResult::Yes)
        return;
    const QString copy = AddTrailingBackslash(removeFolder) + name;
    QFile::remove(copy);
    // Deleted only once the copy is safe.
    if (!QFile::copy(path, copy)) {
        ui.Message(QStringLiteral("Could not copy ") + name + QStringLiteral(" into ") + removeFolder,
                   MessageIcon::Exclamation, kApplicationTitle);
        return;
    }
    QFile::remove(path);
    selectedBackground_ = -1;
    main_.App().Library().ScanBackgrounds();
    if (!BackgroundNames().isEmpty())
        FileList_Click(0);
    view_.UpdateControls();
}

void DesignerModel::cmdAddPic_Click()
{
    main_.App().Library().AddPictures(AddTarget::Backgrounds);
    view_.UpdateControls();
}

void DesignerModel::cmdRefresh_Click()
{
    selectedBackground_ = -1;
    main_.App().Library().ScanBackgrounds();
    view_.UpdateControls();
}

void DesignerModel::imgHelp_Click()
{
    const Platform &platform = main_.App().GetPlatform();
    platform.help.ShowKeyword(AddTrailingBackslash(platform.shell.ProgramFolder()) + kHelpFileName,
                              kDesignerHelpKeyword);
}

bool DesignerModel::QueryUnload()
{
    if (!previewing_)
        return true;
    EndDesktopPreview();
    return false;
}

void DesignerModel::Form_Unload()
{
    if (!loaded_)
        return;
    loaded_ = false;
    sampling_ = false;
    RevertWallpaper();
    compositor_.SetFrontSources({});
    main_.ShowMainWindow();
}

}  // namespace pellimore
