#include "wallpaper/changer/PictureLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/clock/Clock.h"
#include "platform/shell/PathHelpers.h"
#include "platform/shell/ShellFolders.h"
#include "platform/store/SettingsKeys.h"
#include "platform/store/SettingsStore.h"
#include "platform/ui/Ui.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/changer/FolderFiles.h"
#include "wallpaper/changer/Settings.h"

namespace pellimore {

namespace {

const QStringList kPictureExtensions = {QStringLiteral("JPG"), QStringLiteral("GIF"), QStringLiteral("BMP"),
                                        QStringLiteral("PNG")};
const QStringList kBackgroundExtensions = {QStringLiteral("JPG"), QStringLiteral("GIF"), QStringLiteral("BMP")};

// A library file larger than this is not a library file; it is treated as
// unreadable instead of being read into memory (a real one is about 40 bytes
// a picture).
constexpr qint64 kMaxPictureDataBytes = qint64(256) << 20;

QString Join(const QString &folder, const QString &name) { return AddTrailingBackslash(folder) + name; }

// Copies a sample unless the user already has a file of that name: the
// samples must never replace a picture or a library file of the user's.
void CopySample(const QString &source, const QString &destination)
{
    if (!QFileInfo::exists(destination))
        CopyFileReplacing(source, destination);
}

}  // namespace

PictureLibrary::PictureLibrary(ChangerState &state, const Platform &platform) : state_(state), platform_(platform)
{
}

QString PictureLibrary::FolderPath() const { return AddTrailingBackslash(state_.PictureFolder); }

QString PictureLibrary::PictureDataPath() const { return FolderFilePath(FolderPath(), kPictureDataName); }

QString PictureLibrary::BackgroundsPath() const { return FolderPath() + kBackgroundsFolderName; }

int PictureLibrary::IndexOfOrder(int order) const
{
    for (size_t i = 0; i < records_.size(); ++i) {
        if (records_[i].Order == order)
            return int(i) + 1;
    }
    return 0;
}

void PictureLibrary::UpdateCurrentIndex() { state_.CurrentIndex = IndexOfOrder(state_.CurrentOrder); }

void PictureLibrary::ScanPictureFolder()
{
    const int selected = state_.SelectedIndex;
    const QString selectedName = selected >= 0 && selected < PictureCount() ? pictureNames_[selected] : QString();

    QStringList names;
    for (QString &name : ListFolderFiles(state_.PictureFolder)) {
        // Names the library file cannot hold are left out rather than allowed
        // to corrupt it.
        if (name != kRenderedWallpaperName && HasPictureExtension(name, kPictureExtensions) &&
            IsStorableFileName(name))
            names.push_back(std::move(name));
    }
    pictureNames_ = std::move(names);
    // The entry the user had selected stays selected if it is still there.
    state_.SelectedIndex = selectedName.isEmpty() ? -1 : int(pictureNames_.indexOf(selectedName));
    if (listener_)
        listener_->PictureListReset();
    if (pictureNames_.isEmpty())
        ReportEmptyFolder(false);
}

void PictureLibrary::ScanBackgrounds()
{
    if (!state_.MyDocsPath.isEmpty()) {
        const QString docsBackgrounds = state_.MyDocsPath + kPictureFolderName + '/' + kBackgroundsFolderName;
        if (!FolderExists(docsBackgrounds))
            QDir().mkpath(docsBackgrounds);
    }
    QStringList names;
    for (QString &name : ListFolderFiles(BackgroundsPath())) {
        if (HasPictureExtension(name, kBackgroundExtensions))
            names.push_back(std::move(name));
    }
    backgroundNames_ = std::move(names);
    if (listener_)
        listener_->BackgroundListReset();
    if (backgroundNames_.isEmpty())
        ReportEmptyFolder(true);
}

void PictureLibrary::ReportEmptyFolder(bool backgrounds)
{
    if (state_.Loading)
        return;
    const QString text =
        QStringLiteral("There are no pictures in the ") +
        (backgrounds ? QStringLiteral("backgrounds") : state_.PictureFolder) + QStringLiteral(" folder!\n\n") +
        (backgrounds ? QStringLiteral("Please use the Add button to add background tiles or pictures.")
                     : QStringLiteral("Please use the Add button to add pictures to be used as your desktop "
                                      "wallpaper (.jpg, .gif, .pgn, .bmp)."));
    platform_.ui.Message(text, MessageIcon::Exclamation, kApplicationTitle);
}

void PictureLibrary::ReadPictureData()
{
    if (PictureCount() == 0)
        return;
    QString path = PictureDataPath();
    // A read-only folder's own records are read until the program's copy exists.
    if (const QString own = FolderPath() + kPictureDataName; !FileExists(path) && FileExists(own))
        path = own;
    bool rebuilt = false;
    if (!FileExists(path)) {
        WriteDefaultPictureData();
        rebuilt = true;
    }

    PictureDataContents contents;
    bool readable = false;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.size() <= kMaxPictureDataBytes) {
        const QByteArray bytes = file.readAll();
        readable = file.error() == QFileDevice::NoError;
        if (readable)
            contents = ParsePictureData(bytes);
    }
    file.close();
    records_ = std::move(contents.records);

    // A damaged file keeps the records of its readable lines; the merge gives
    // the other pictures new records and writes the whole file again.
    const bool damaged = !readable || contents.damagedLines > 0;
    bool shuffled = Merge(damaged);
    // Orders that are not exactly 1 to the count, each once (a file edited by
    // hand), would leave pictures out of the play order.
    if (!shuffled && !OrdersArePlayOrder()) {
        Merge(true);
        shuffled = true;
    }
    // A library rebuilt from the names gets a fresh order, as does a start
    // with no current picture.
    if (!shuffled && (rebuilt || state_.CurrentOrder == 0))
        ShuffleOrder();
    UpdateCurrentIndex();
}

bool PictureLibrary::WritePictureData()
{
    // With no pictures listed there is nothing to write; a folder that is
    // empty for a while keeps the records of the pictures that come back.
    if (PictureCount() == 0)
        return true;
    return WriteRecords(records_);
}

bool PictureLibrary::WriteRecords(const std::vector<PictureRecord> &records)
{
    if (WriteFileReplacing(PictureDataPath(), FormatPictureData(records), &lastWriteError_)) {
        lastWriteError_.clear();
        return true;
    }
    TellUnsavedOnce(state_, platform_.ui, PictureDataPath(), lastWriteError_);
    return false;
}

bool PictureLibrary::WriteDefaultPictureData()
{
    std::vector<PictureRecord> defaults;
    defaults.reserve(size_t(PictureCount()));
    for (int i = 0; i < PictureCount(); ++i)
        defaults.push_back(PictureRecord{pictureNames_[i], kStyleCentered, state_.DesktopColor, i + 1});
    return WriteRecords(defaults);
}

void PictureLibrary::MergePictureRecords() { Merge(false); }

bool PictureLibrary::Merge(bool force)
{
    const int count = PictureCount();
    if (!force && records_.size() == size_t(count)) {
        bool same = true;
        for (int i = 0; i < count && same; ++i)
            same = records_[size_t(i)].FileName == pictureNames_[i];
        if (same) {
            UpdateCurrentIndex();
            return false;
        }
    }

    // Each name takes the first old record of that name.
    QHash<QString, size_t> firstRecord;
    firstRecord.reserve(qsizetype(records_.size()));
    for (size_t i = records_.size(); i-- > 0;)
        firstRecord.insert(records_[i].FileName, i);

    QString currentName;
    bool haveCurrent = false;
    if (state_.CurrentOrder != 0) {
        for (const PictureRecord &record : records_) {
            if (record.Order == state_.CurrentOrder) {
                currentName = record.FileName;
                haveCurrent = true;
                break;
            }
        }
    }

    std::vector<PictureRecord> merged;
    merged.reserve(size_t(count));
    bool everyNameKnown = true;
    for (const QString &name : pictureNames_) {
        const auto found = firstRecord.constFind(name);
        if (found != firstRecord.constEnd()) {
            merged.push_back(records_[found.value()]);
        } else {
            merged.push_back(PictureRecord{name, kStyleCentered, state_.DefaultBackColor, 0});
            everyNameKnown = false;
        }
    }
    // The same pictures listed in another order (a library file written in
    // another listing order) keep their play order: only the lines move, and
    // the current picture stays current instead of a fresh shuffle making
    // "next" unpredictable.
    const bool sameSet = everyNameKnown && records_.size() == merged.size();
    records_ = std::move(merged);
    if (sameSet && OrdersArePlayOrder()) {
        WritePictureData();
        UpdateCurrentIndex();
        return false;
    }
    ShuffleOrder();

    if (haveCurrent) {
        const qsizetype at = pictureNames_.indexOf(currentName);
        if (at >= 0)
            state_.CurrentOrder = records_[size_t(at)].Order;
    }
    UpdateCurrentIndex();
    return true;
}

bool PictureLibrary::OrdersArePlayOrder() const
{
    const size_t n = records_.size();
    std::vector<bool> seen(n + 1, false);
    for (const PictureRecord &record : records_) {
        if (record.Order < 1 || size_t(record.Order) > n || seen[size_t(record.Order)])
            return false;
        seen[size_t(record.Order)] = true;
    }
    return true;
}

void PictureLibrary::SwapOrders(int first, int second)
{
    const int a = IndexOfOrder(first), b = IndexOfOrder(second);
    if (a == 0 || b == 0)
        return;
    std::swap(records_[size_t(a - 1)].Order, records_[size_t(b - 1)].Order);
    WritePictureData();
    UpdateCurrentIndex();
}

void PictureLibrary::ShuffleOrder()
{
    const int n = int(records_.size());
    if (PictureCount() == 0 || n == 0)
        return;

    // Draw until every number from 1 to n has come up once; the j-th new
    // number is the j-th record's order. The "already drawn" test is a bit
    // per number, so a pass costs about n log n draws, not n squared.
    std::vector<bool> drawn(size_t(n) + 1, false);
    const float count = float(n);
    // A generator that stops giving new numbers (a broken one) must not hang
    // the program: after this many draws in a row with nothing new, where a
    // working one fails with odds of about e^-64, the numbers not drawn yet
    // are given out in ascending order.
    const int64_t stallLimit = 64 * int64_t(n) + 4096;
    int64_t misses = 0;
    int j = 0;
    while (j < n && misses < stallLimit) {
        const float u = platform_.random.Next();
        const float x = count * u + 1.0f;   // in single precision
        if (x >= 1.0f && x < 2147483648.0f) {
            const int64_t r = int64_t(x);   // the whole part
            if (r <= n && !drawn[size_t(r)]) {
                drawn[size_t(r)] = true;
                records_[size_t(j)].Order = int(r);
                ++j;
                misses = 0;
                continue;
            }
        }
        ++misses;
    }
    for (int r = 1; r <= n && j < n; ++r) {
        if (!drawn[size_t(r)])
            records_[size_t(j++)].Order = r;
    }
    WritePictureData();
    UpdateCurrentIndex();
}

bool PictureLibrary::FirstRunSetup()
{
    SettingsStore &store = platform_.store;
    // The screen saver looks for the same documents folder.
    store.SaveSetting(kApplicationName, ScreenSaverKeys::kSection, ScreenSaverKeys::kMyDocs, state_.MyDocsPath);

    const QString target = AddTrailingBackslash(state_.MyDocsPath) + kPictureFolderName;
    const QString targetBackgrounds = Join(target, kBackgroundsFolderName);
    if (!FolderExists(targetBackgrounds))
        QDir().mkpath(targetBackgrounds);

    const QString samples = Join(platform_.shell.ProgramFolder(), kSamplesFolderName);
    state_.PictureFolder = samples;
    ScanPictureFolder();
    if (!FolderExists(target))
        return false;

    for (const QString &name : pictureNames_)
        CopySample(Join(samples, name), Join(target, name));
    CopySample(Join(samples, kPictureDataName), Join(target, kPictureDataName));
    const QString sampleBackgrounds = Join(samples, kBackgroundsFolderName);
    for (const QString &name : ListFolderFiles(sampleBackgrounds)) {
        if (HasPictureExtension(name, kBackgroundExtensions))
            CopySample(Join(sampleBackgrounds, name), Join(targetBackgrounds, name));
    }

    state_.PictureFolder = target;
    store.SaveSetting(kApplicationName, WallpaperKeys::kSection, WallpaperKeys::kFolder, target);
    ScanPictureFolder();
    return true;
}

MessageResult PictureLibrary::AskOverwrite(const QString &name)
{
    MessageBoxRequest box;
    box.text = name + QStringLiteral(" already exists in the Wallpaper Pellimore folder. Overwrite?");
    box.title = QStringLiteral("Same file names");
    box.buttons = MessageButtons::YesNoCancel;
    return platform_.ui.MessageBox(box);
}

void PictureLibrary::AddPictures(AddTarget target)
{
    const bool toWallpaper = target == AddTarget::Wallpaper;
    const QString destination = toWallpaper ? FolderPath() : AddTrailingBackslash(BackgroundsPath());
    if (lastAddFolder_.isEmpty())
        lastAddFolder_ = TrimTrailingBackslash(destination);

    OpenFilesRequest request;
    request.title = QStringLiteral("Select picture(s) to add:");
    request.filter = QStringLiteral("Pictures (*.jpg;*.gif;*.bmp;*.png)|*.jpg;*.gif;*.bmp;*.png");
    request.initialFolder = lastAddFolder_;
    request.multiSelect = true;
    const std::optional<OpenFilesResult> chosen = platform_.ui.OpenFiles(request);
    if (!chosen || chosen->names.isEmpty())
        return;

    const QStringList &present = toWallpaper ? pictureNames_ : backgroundNames_;
    const QSet<QString> presentNames(present.cbegin(), present.cend());
    QStringList failed;
    for (const QString &name : chosen->names) {
        if (name.isEmpty() || name.contains('/') || name == QLatin1String("..")) {
            failed << name;
            continue;
        }
        const QString source = Join(chosen->folder, name);
        const QString copy = destination + name;
        if (IsSameFile(source, copy))
            continue;   // already in the folder
        if (toWallpaper && !IsStorableFileName(name)) {
            failed << name;
            continue;
        }
        if (presentNames.contains(name)) {
            const MessageResult answer = AskOverwrite(name);
            if (answer == MessageResult::Cancel)
                return;
            if (answer != MessageResult::Yes)
                continue;
        }
        if (!CopyFileReplacing(source, copy))
            failed << name;
    }
    lastAddFolder_ = chosen->folder;

    const QString last = chosen->names.last();
    if (toWallpaper) {
        ScanPictureFolder();
        MergePictureRecords();
        SelectListItem(last);
    } else {
        ScanBackgrounds();
        SelectBackgroundItem(last);
    }
    if (!failed.isEmpty()) {
        platform_.ui.Message(QStringLiteral("These pictures could not be added to ") +
                                 TrimTrailingBackslash(destination) + QStringLiteral(":\n\n") +
                                 failed.join(QLatin1Char('\n')),
                             MessageIcon::Exclamation, kApplicationTitle);
    }
}

void PictureLibrary::RemovePicture()
{
    const int selected = state_.SelectedIndex;
    const bool hasSelection = selected >= 0 && selected < PictureCount();
    const QString name = hasSelection ? pictureNames_[selected] : QString();

    if (PictureCount() == 1) {
        platform_.ui.Message(
            QStringLiteral("You need to have at least 1 picture in the Wallpaper Pellimore folder.\n"
                           "Please add other pictures to this folder, then you can Remove ") +
                name,
            MessageIcon::Information, QStringLiteral("Wallpaper Pellimore folder"));
        return;
    }
    const QString source = FolderPath() + name;
    if (!hasSelection || !QFileInfo(source).isFile()) {
        platform_.ui.Message(QStringLiteral("Click on the name of the picture you would like to remove, then click "
                                            "the Remove button again."),
                             MessageIcon::None, kApplicationTitle);
        return;
    }

    const QString removeFolder = FolderPath() + kRemoveFolderName;
    if (!FolderExists(removeFolder))
        QDir().mkpath(removeFolder);
    const MessageResult answer =
        platform_.ui.Message(QStringLiteral("Remove ") + name + QStringLiteral(" from Wallpaper list?"),
                             MessageIcon::None, kApplicationTitle, MessageButtons::YesNo);
    if (answer != MessageResult::Yes)
        return;

    if (listener_)
        listener_->StopAnimatedPreview();
    // The picture is deleted only once its copy in "Remove" is whole.
    const QString kept = Join(removeFolder, name);
    if (!CopyFileReplacing(source, kept) || FileSize(kept) != FileSize(source) || !QFile::remove(source)) {
        platform_.ui.Message(QStringLiteral("Could not move ") + name +
                                 QStringLiteral(" into the Remove folder. The picture stays in the list."),
                             MessageIcon::Exclamation, kApplicationTitle);
        return;
    }

    ScanPictureFolder();
    MergePictureRecords();
    state_.SelectedIndex = 0;
    if (listener_ && PictureCount() > 0)
        listener_->ShowPicture(0);
}

void PictureLibrary::EmptyRemovedFolder()
{
    MessageBoxRequest box;
    box.text = QStringLiteral("Permanently delete all pictures in the Removed folder?");
    box.title = QStringLiteral("Empty Removed Pictures folder");
    box.buttons = MessageButtons::YesNo;
    if (platform_.ui.MessageBox(box) != MessageResult::Yes)
        return;
    const QString removeFolder = FolderPath() + kRemoveFolderName;
    if (!FolderExists(removeFolder))
        QDir().mkpath(removeFolder);
    QDir folder(removeFolder);
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System))
        folder.remove(name);
}

void PictureLibrary::RefreshPictureList()
{
    ScanPictureFolder();
    MergePictureRecords();
}

bool PictureLibrary::SelectListItem(const QString &name)
{
    const qsizetype index = pictureNames_.indexOf(name);
    if (index < 0)
        return false;
    state_.SelectedIndex = int(index);
    if (listener_)
        listener_->ShowPicture(int(index));
    return true;
}

bool PictureLibrary::SelectBackgroundItem(const QString &name)
{
    const qsizetype index = backgroundNames_.indexOf(name);
    if (index < 0)
        return false;
    if (listener_)
        listener_->ShowBackground(int(index));
    return true;
}

}  // namespace pellimore
