// The real dialogs, driven by a timer the way a user would: each test waits
// for the modal dialog to appear and then presses its buttons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "platform/ui/QtUi.h"
#include "platform/ui/UiMapping.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedUi.h"

namespace pellimore {
namespace {

// Hands the next modal dialog of type T to `act` once it is on screen.
template <typename T>
void WhenShown(std::function<void(T *)> act)
{
    auto *timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, tries] {
        auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        } else if (++*tries > 1000) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the dialog did not appear";
            if (QWidget *other = QApplication::activeModalWidget())
                other->close();
        }
    });
    timer->start(5);
}

void Press(QMessageBox *box, QMessageBox::StandardButton button)
{
    ASSERT_NE(box->button(button), nullptr);
    box->button(button)->click();
}

TEST(QtUi, MessageBoxShowsItsTextTitleIconAndButtons)
{
    QtUi ui;
    MessageBoxRequest request;
    request.text = "Delete the picture?\r\n\r\nIt goes to the \"Remove\" folder.";
    request.title = "Delete";
    request.buttons = MessageButtons::YesNoCancel;
    request.icon = MessageIcon::Question;
    request.defaultButton = 2;
    WhenShown<QMessageBox>([](QMessageBox *box) {
        EXPECT_EQ(box->text(), "Delete the picture?\n\nIt goes to the \"Remove\" folder.");
        EXPECT_EQ(box->windowTitle(), "Delete");
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        Press(box, QMessageBox::No);
    });
    EXPECT_EQ(ui.MessageBox(request), MessageResult::No);
}

TEST(QtUi, MessageBoxWithoutTitleTakesTheApplicationName)
{
    QtUi ui;
    const QString saved = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName("WallPaper Pellimore");
    WhenShown<QMessageBox>([](QMessageBox *box) {
        EXPECT_EQ(box->windowTitle(), "WallPaper Pellimore");
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        Press(box, QMessageBox::Ok);
    });
    EXPECT_EQ(ui.Message("Could not save.", MessageIcon::Critical, QString()), MessageResult::Ok);
    QGuiApplication::setApplicationDisplayName(saved);
}

TEST(QtUi, HelpButtonCallsForHelpAndKeepsTheBoxOpen)
{
    QtUi ui;
    int helpCalls = 0;
    MessageBoxRequest request;
    request.text = "Wallpaper Pellimore is already running.";
    request.helpButton = true;
    request.onHelp = [&helpCalls] { ++helpCalls; };
    WhenShown<QMessageBox>([&helpCalls](QMessageBox *box) {
        Press(box, QMessageBox::Help);
        EXPECT_EQ(helpCalls, 1);
        EXPECT_TRUE(box->isVisible()) << "the box closed on Help";
        WhenShown<QMessageBox>([](QMessageBox *sameBox) { Press(sameBox, QMessageBox::Ok); });
    });
    EXPECT_EQ(ui.MessageBox(request), MessageResult::Ok);
    EXPECT_EQ(helpCalls, 1);
}

TEST(QtUi, EscapeAnswersCancelOrNo)
{
    QtUi ui;
    auto escape = [](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); };
    WhenShown<QMessageBox>(escape);
    EXPECT_EQ(ui.Message("?", MessageIcon::Question, "t", MessageButtons::YesNoCancel), MessageResult::Cancel);
    WhenShown<QMessageBox>(escape);
    EXPECT_EQ(ui.Message("?", MessageIcon::Question, "t", MessageButtons::YesNo), MessageResult::No);
}

// Types a name into a save dialog's name field, as a user would.
// (QFileDialog::selectFile leaves the field alone once it has the focus,
// which the shown dialog gains at a moment of its own.)
void TypeFileName(QFileDialog *dialog, const QString &name)
{
    auto *field = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(field, nullptr);
    field->setText(name);
}

class QtUiFilesTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char *name : {"a.jpg", "B.JPG", "notes.txt", "exists.jpg"})
            QFile(dir_.filePath(name)).open(QIODevice::WriteOnly);
        QDir().mkpath(dir_.filePath("sub"));
    }
    QTemporaryDir dir_;
    QtUi ui_;
};

TEST_F(QtUiFilesTest, OpenFilesGivesTheFolderAndTheChosenNames)
{
    OpenFilesRequest request;
    request.title = "Add pictures";
    request.filter = "Pictures|*.jpg;*.gif";
    request.initialFolder = dir_.path();
    request.multiSelect = true;
    WhenShown<QFileDialog>([this](QFileDialog *dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Add pictures");
        EXPECT_EQ(dialog->nameFilters(), QStringList{"Pictures (*.jpg *.JPG *.gif *.GIF)"});
        EXPECT_EQ(dialog->directory().absolutePath(), dir_.path());
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
        dialog->findChild<QLineEdit *>("fileNameEdit")->setText("\"a.jpg\" \"B.JPG\"");
        static_cast<QDialog *>(dialog)->accept();
    });
    const auto result = ui_.OpenFiles(request);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->folder, dir_.path());
    QStringList names = result->names;
    names.sort();
    EXPECT_EQ(names, (QStringList{"B.JPG", "a.jpg"}));

    WhenShown<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
    EXPECT_FALSE(ui_.OpenFiles(request).has_value());
}

TEST_F(QtUiFilesTest, SaveFileAddsTheSuffixAndAsksBeforeOverwriting)
{
    SaveFileRequest request;
    request.title = "Save picture";
    request.filter = "JPEG|*.jpg";
    request.initialFolder = dir_.path();
    request.fileName = "new.jpg";
    request.defaultSuffix = "jpg";
    request.confirmOverwrite = true;
    WhenShown<QFileDialog>([](QFileDialog *dialog) {
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog->selectedFiles().value(0).section('/', -1), "new.jpg");
        TypeFileName(dialog, "mine");
        static_cast<QDialog *>(dialog)->accept();
    });
    EXPECT_EQ(ui_.SaveFile(request), dir_.filePath("mine.jpg"));

    // An existing file: the dialog asks first.
    bool asked = false;
    WhenShown<QFileDialog>([&asked](QFileDialog *dialog) {
        TypeFileName(dialog, "exists.jpg");
        WhenShown<QMessageBox>([&asked](QMessageBox *box) {
            asked = box->text().contains("exists.jpg");
            Press(box, QMessageBox::Yes);
        });
        static_cast<QDialog *>(dialog)->accept();
    });
    EXPECT_EQ(ui_.SaveFile(request), dir_.filePath("exists.jpg"));
    EXPECT_TRUE(asked);

    request.confirmOverwrite = false;
    WhenShown<QFileDialog>([](QFileDialog *dialog) {
        TypeFileName(dialog, "exists.jpg");
        static_cast<QDialog *>(dialog)->accept();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no question asked";
    });
    EXPECT_EQ(ui_.SaveFile(request), dir_.filePath("exists.jpg"));
}

TEST_F(QtUiFilesTest, ChooseFolderGivesThePathWithoutTrailingSlash)
{
    FolderRequest request{"Pick a folder", dir_.path()};
    WhenShown<QFileDialog>([this](QFileDialog *dialog) {
        EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
        dialog->setDirectory(dir_.filePath("sub"));
        static_cast<QDialog *>(dialog)->accept();
    });
    EXPECT_EQ(ui_.ChooseFolder(request), dir_.filePath("sub"));

    WhenShown<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
    EXPECT_EQ(ui_.ChooseFolder(request), std::nullopt);
}

TEST(QtUi, ColorDialogSpeaksColorRef)
{
    QtUi ui;
    WhenShown<QColorDialog>([](QColorDialog *dialog) {
        EXPECT_EQ(dialog->currentColor(), QColor(10, 20, 30));
        dialog->setCurrentColor(QColor(200, 100, 50));
        static_cast<QDialog *>(dialog)->accept();
    });
    EXPECT_EQ(ui.ChooseColor(Rgb(10, 20, 30)), Rgb(200, 100, 50));

    WhenShown<QColorDialog>([](QColorDialog *dialog) { dialog->reject(); });
    EXPECT_EQ(ui.ChooseColor(Rgb(10, 20, 30)), std::nullopt);
}

TEST(QtUi, FontDialogStartsAtTheGivenFont)
{
    QtUi ui;
    QFont initial = QApplication::font();
    initial.setPointSize(17);
    WhenShown<QFontDialog>([](QFontDialog *dialog) {
        EXPECT_EQ(dialog->currentFont().pointSize(), 17);
        QFont bigger = dialog->currentFont();
        bigger.setPointSize(24);
        dialog->setCurrentFont(bigger);
        static_cast<QDialog *>(dialog)->accept();
    });
    const auto chosen = ui.ChooseFont(initial);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->pointSize(), 24);

    WhenShown<QFontDialog>([](QFontDialog *dialog) { dialog->reject(); });
    EXPECT_EQ(ui.ChooseFont(initial), std::nullopt);
}

}  // namespace
}  // namespace pellimore
