#include "screensaver/SaverServices.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "platform/shell/ShellFolders.h"

namespace pellimore {

namespace {

QWidget *Owner() { return QApplication::activeWindow(); }

QString QtFilter(const QString &filter)
{
    // "Description|*.a;*.b|Other|*.c" into Qt's "Description (*.a *.b);;Other (*.c)".
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out.append(parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '))
                   + QLatin1Char(')'));
    return out.join(QStringLiteral(";;"));
}

}  // namespace

MessageResult SaverUi::MessageBox(const MessageBoxRequest &request)
{
    QMessageBox box(Owner());
    box.setText(request.text);
    box.setWindowTitle(request.title.isEmpty() ? QStringLiteral("WallPaper Pellimore") : request.title);
    switch (request.icon) {
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::None: break;
    }
    QList<QPair<QAbstractButton *, MessageResult>> buttons;
    const auto add = [&](QMessageBox::StandardButton button, MessageResult result) {
        buttons.append({box.addButton(button), result});
    };
    switch (request.buttons) {
    case MessageButtons::Ok: add(QMessageBox::Ok, MessageResult::Ok); break;
    case MessageButtons::OkCancel: add(QMessageBox::Ok, MessageResult::Ok); add(QMessageBox::Cancel, MessageResult::Cancel); break;
    case MessageButtons::YesNo: add(QMessageBox::Yes, MessageResult::Yes); add(QMessageBox::No, MessageResult::No); break;
    case MessageButtons::YesNoCancel:
        add(QMessageBox::Yes, MessageResult::Yes);
        add(QMessageBox::No, MessageResult::No);
        add(QMessageBox::Cancel, MessageResult::Cancel);
        break;
    }
    if (request.defaultButton >= 1 && request.defaultButton <= buttons.size())
        box.setDefaultButton(qobject_cast<QPushButton *>(buttons[request.defaultButton - 1].first));
    if (request.helpButton) {
        QAbstractButton *help = box.addButton(QMessageBox::Help);
        // A help button keeps the box open.
        help->disconnect();
        QObject::connect(help, &QAbstractButton::clicked, [&request] {
            if (request.onHelp)
                request.onHelp();
        });
    }
    box.exec();
    for (const auto &[button, result] : buttons)
        if (box.clickedButton() == button)
            return result;
    return buttons.size() > 1 ? buttons.back().second : buttons.front().second;
}

std::optional<OpenFilesResult> SaverUi::OpenFiles(const OpenFilesRequest &request)
{
    QStringList paths;
    if (request.multiSelect)
        paths = QFileDialog::getOpenFileNames(Owner(), request.title, request.initialFolder, QtFilter(request.filter));
    else if (const QString path = QFileDialog::getOpenFileName(Owner(), request.title, request.initialFolder,
                                                               QtFilter(request.filter));
             !path.isEmpty())
        paths.append(path);
    if (paths.isEmpty())
        return std::nullopt;
    OpenFilesResult result;
    result.folder = QFileInfo(paths.first()).absolutePath();
    for (const QString &path : paths)
        result.names.append(QFileInfo(path).fileName());
    return result;
}

std::optional<QString> SaverUi::SaveFile(const SaveFileRequest &request)
{
    QFileDialog dialog(Owner(), request.title, request.initialFolder, QtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(request.fileName);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<ColorRef> SaverUi::ChooseColor(ColorRef initial)
{
    const QColor chosen = QColorDialog::getColor(QColor(RedOf(initial), GreenOf(initial), BlueOf(initial)), Owner());
    if (!chosen.isValid())
        return std::nullopt;
    return Rgb(uint8_t(chosen.red()), uint8_t(chosen.green()), uint8_t(chosen.blue()));
}

std::optional<QFont> SaverUi::ChooseFont(const QFont &initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, Owner());
    if (!ok)
        return std::nullopt;
    return font;
}

std::optional<QString> SaverUi::ChooseFolder(const FolderRequest &request)
{
    const QString folder = QFileDialog::getExistingDirectory(Owner(), request.title, request.initialFolder);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

bool SaverHelp::ShowContext(const QString &, int) { return ShowKeyword(QString(), QString()); }

bool SaverHelp::ShowKeyword(const QString &, const QString &)
{
    const QString index = shell_.ProgramFolder() + QStringLiteral("/help/index.html");
    if (!QFileInfo::exists(index))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(index));
}

}  // namespace pellimore
