#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "platform/raster/Bitmap.h"

namespace pellimore {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Exclamation, Critical, Question };
enum class MessageResult { Ok, Cancel, Yes, No };

// One message box. The default button is counted from 1 (the first button of
// the set). A box with a Help button calls onHelp when it is pressed; the box
// stays open, as a help button does.
struct MessageBoxRequest {
    QString text;
    QString title;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    int defaultButton = 1;
    bool helpButton = false;
    std::function<void()> onHelp;
};

struct OpenFilesRequest {
    QString title;
    QString filter;         // "Description|*.a;*.b|Other|*.c" as the program writes it
    QString initialFolder;
    bool multiSelect = false;
};

// The files chosen in an open dialog: one folder and the names in it.
struct OpenFilesResult {
    QString folder;
    QStringList names;
};

struct SaveFileRequest {
    QString title;
    QString filter;
    QString fileName;
    QString initialFolder;
    bool confirmOverwrite = false;
    QString defaultSuffix;  // extension ("jpg") added when the chosen name has none
};

struct FolderRequest {
    QString title;
    QString initialFolder;
};

// Message boxes and the common dialogs. Every dialog returns nothing when the
// user cancels.
class Ui {
public:
    virtual ~Ui() = default;

    virtual MessageResult MessageBox(const MessageBoxRequest &request) = 0;
    virtual std::optional<OpenFilesResult> OpenFiles(const OpenFilesRequest &request) = 0;
    virtual std::optional<QString> SaveFile(const SaveFileRequest &request) = 0;
    virtual std::optional<ColorRef> ChooseColor(ColorRef initial) = 0;
    virtual std::optional<QFont> ChooseFont(const QFont &initial) = 0;
    virtual std::optional<QString> ChooseFolder(const FolderRequest &request) = 0;

    // A plain message box: text, an icon and a title.
    MessageResult Message(const QString &text, MessageIcon icon, const QString &title,
                          MessageButtons buttons = MessageButtons::Ok)
    {
        MessageBoxRequest request;
        request.text = text;
        request.icon = icon;
        request.title = title;
        request.buttons = buttons;
        return MessageBox(request);
    }
};

}  // namespace pellimore
