#include "platform/ui/QtUi.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/ui/UiMapping.h"

namespace pellimore {

namespace {

QWidget *Owner() { return QApplication::activeWindow(); }

QString WithoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

}  // namespace

MessageResult QtUi::MessageBox(const MessageBoxRequest &request)
{
    const QString title = request.title.isEmpty() ? QGuiApplication::applicationDisplayName() : request.title;
    QString text = request.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(IconFor(request.icon), title, text, StandardButtonsFor(request.buttons), Owner());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(DefaultButtonFor(request.buttons, request.defaultButton));

    QPushButton *help = nullptr;
    if (request.helpButton) {
        help = box.addButton(QMessageBox::Help);
        // A Help button shows help and leaves the box open: take it off the
        // button box's closing signal and give it its own action.
        if (auto *buttonBox = box.findChild<QDialogButtonBox *>())
            QObject::disconnect(help, &QAbstractButton::clicked, buttonBox, nullptr);
        QObject::connect(help, &QAbstractButton::clicked, &box, [&request] {
            if (request.onHelp)
                request.onHelp();
        });
    }
    // Should the box still close on Help, it opens again.
    do {
        box.exec();
    } while (help && box.clickedButton() == help);

    return ResultFor(box.standardButton(box.clickedButton()), request.buttons);
}

std::optional<OpenFilesResult> QtUi::OpenFiles(const OpenFilesRequest &request)
{
    QFileDialog dialog(Owner(), request.title, request.initialFolder, QtNameFilters(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return SplitSelection(dialog.selectedFiles());
}

std::optional<QString> QtUi::SaveFile(const SaveFileRequest &request)
{
    QString start = request.initialFolder;
    if (!request.fileName.isEmpty())
        start = start.isEmpty() ? request.fileName : WithoutTrailingSlash(start) + QLatin1Char('/') + request.fileName;
    QFileDialog dialog(Owner(), request.title, start, QtNameFilters(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

std::optional<ColorRef> QtUi::ChooseColor(ColorRef initial)
{
    QColorDialog dialog(ToQColor(initial), Owner());
    if (dialog.exec() != QDialog::Accepted || !dialog.selectedColor().isValid())
        return std::nullopt;
    return FromQColor(dialog.selectedColor());
}

std::optional<QFont> QtUi::ChooseFont(const QFont &initial)
{
    QFontDialog dialog(initial, Owner());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}

std::optional<QString> QtUi::ChooseFolder(const FolderRequest &request)
{
    QFileDialog dialog(Owner(), request.title, request.initialFolder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return WithoutTrailingSlash(dialog.selectedFiles().front());
}

}  // namespace pellimore
