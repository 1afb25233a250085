#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

#include "platform/ui/Ui.h"
#include "wallpaper/changer/PictureData.h"

namespace pellimore {

struct ChangerState;
struct Platform;

inline const QString kPictureFolderName = QStringLiteral("Wallpaper Pellimore");
inline const QString kRenderedWallpaperName = QStringLiteral("Wallpaper Pellimore.bmp");
inline const QString kBackgroundsFolderName = QStringLiteral("backgrounds");
inline const QString kRemoveFolderName = QStringLiteral("Remove");
inline const QString kSamplesFolderName = QStringLiteral("Samples");

// Where AddPictures copies to: the picture folder or its "backgrounds".
enum class AddTarget { Wallpaper, Backgrounds };

// What the windows that show the library are told. The main window's list box
// and the designer's background list are views of PictureNames and
// BackgroundNames; every method has an empty default.
class PictureLibraryListener {
public:
    virtual ~PictureLibraryListener() = default;

    // PictureNames changed: refill the list box from it and highlight the
    // entry at SelectedIndex (if any) without showing its picture.
    virtual void PictureListReset() {}
    // BackgroundNames changed: refill the designer's list from it.
    virtual void BackgroundListReset() {}
    // Select the entry at this 0-based position and show its picture, as a
    // click on it does (SelectedIndex is already set).
    virtual void ShowPicture(int index) { (void)index; }
    // Select the designer's background entry at this 0-based position.
    virtual void ShowBackground(int index) { (void)index; }
    // A picture file is about to be removed: the animated preview must stop
    // and let go of it if it is showing one.
    virtual void StopAnimatedPreview() {}
};

// The picture library: the pictures of the picture folder, their records in
// "wallpaper.dat" (style, colour, play order), the designer's backgrounds,
// the first-run copy of the samples, and adding, removing and deleting
// pictures. It works on the changer's state (PictureFolder, CurrentOrder,
// SelectedIndex, CurrentIndex, Loading, DefaultBackColor, DesktopColor,
// MyDocsPath) and talks to the user through the platform's ui.
class PictureLibrary {
public:
    PictureLibrary(ChangerState &state, const Platform &platform);

    // The listener is not owned; nullptr (the default) tells no one.
    void SetListener(PictureLibraryListener *listener) { listener_ = listener; }

    const QStringList &PictureNames() const { return pictureNames_; }
    int PictureCount() const { return int(pictureNames_.size()); }
    // One record per name once merged, in the same order. Style and colour
    // changes are made here and reach the file with the next write.
    std::vector<PictureRecord> &Records() { return records_; }
    const std::vector<PictureRecord> &Records() const { return records_; }
    const QStringList &BackgroundNames() const { return backgroundNames_; }
    int BackgroundCount() const { return int(backgroundNames_.size()); }
    const QString &LastAddFolder() const { return lastAddFolder_; }

    // The picture folder with a trailing "/", and its library file (in the
    // program's cache folder when the picture folder cannot be written).
    QString FolderPath() const;
    QString PictureDataPath() const;
    QString BackgroundsPath() const;
    // The 1-based list number of the first record with this order; 0 when
    // none has it.
    int IndexOfOrder(int order) const;

    // Rebuilds PictureNames from the picture folder: its files whose last
    // three characters are JPG, GIF, BMP or PNG in any case, except the
    // rendered wallpaper and names "wallpaper.dat" cannot hold, in byte order
    // of their names. An empty result empties the list and warns.
    void ScanPictureFolder();
    // Rebuilds BackgroundNames from the picture folder's "backgrounds" (JPG,
    // GIF or BMP), creating the documents folder's one when missing.
    void ScanBackgrounds();
    // The warning that a list is empty; nothing while loading.
    void ReportEmptyFolder(bool backgrounds);

    // Loads the records from "wallpaper.dat" at start-up (when there are
    // pictures): a missing file is built from the names and shuffled; a
    // damaged one keeps its readable lines and is repaired by the merge.
    void ReadPictureData();
    // Writes every record; false when the file could not be replaced (the
    // user is told once per run; LastWriteError says why). With no pictures
    // listed the file is left as it is.
    bool WritePictureData();
    const QString &LastWriteError() const { return lastWriteError_; }
    // Writes a fresh file from the names: style 0, the desktop colour, and the
    // list number as the order.
    bool WriteDefaultPictureData();
    // Brings the records into line with PictureNames; when pictures came or
    // went, shuffles (which writes the file) and keeps the current picture
    // current. The same pictures in another order only move into list order.
    void MergePictureRecords();
    // A new random play order for all records, then WritePictureData.
    void ShuffleOrder();
    // The records of these two places in the play order trade places, then
    // WritePictureData. Nothing when either place has no record.
    void SwapOrders(int first, int second);

    // Copies the program's samples into the documents folder's "Wallpaper
    // Pellimore" and makes it the picture folder. False when that folder
    // cannot be made (the picture folder is then left on the samples).
    bool FirstRunSetup();

    // The Add buttons: asks for files and copies them into the folder.
    void AddPictures(AddTarget target);
    // The Remove button: moves the selected picture into "Remove".
    void RemovePicture();
    // "Permanently delete Removed pics".
    void EmptyRemovedFolder();
    // The Refresh button: rescan and merge.
    void RefreshPictureList();
    // Selects (and shows) the entry whose name equals `name` exactly; false
    // and nothing selected when none does.
    bool SelectListItem(const QString &name);
    // The same for the designer's background list.
    bool SelectBackgroundItem(const QString &name);

private:
    bool WriteRecords(const std::vector<PictureRecord> &records);
    // The merge; `force` rebuilds and reshuffles even when the names match.
    // True when it rebuilt the records (and so shuffled and wrote them).
    bool Merge(bool force);
    // True when the orders are exactly 1 to the record count, each once.
    bool OrdersArePlayOrder() const;
    void UpdateCurrentIndex();
    // "<name> already exists ... Overwrite?" with Yes, No and Cancel.
    MessageResult AskOverwrite(const QString &name);

    ChangerState &state_;
    const Platform &platform_;
    PictureLibraryListener *listener_ = nullptr;

    QStringList pictureNames_;
    std::vector<PictureRecord> records_;
    QStringList backgroundNames_;
    QString lastAddFolder_;
    QString lastWriteError_;
};

}  // namespace pellimore
