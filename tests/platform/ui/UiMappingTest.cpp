#include <gtest/gtest.h>

#include "platform/ui/UiMapping.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedUi.h"

namespace pellimore {
namespace {

TEST(UiMapping, ButtonSetsAndTheirDefaults)
{
    EXPECT_EQ(StandardButtonsFor(MessageButtons::Ok), QMessageBox::Ok);
    EXPECT_EQ(StandardButtonsFor(MessageButtons::OkCancel), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(StandardButtonsFor(MessageButtons::YesNo), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(StandardButtonsFor(MessageButtons::YesNoCancel),
              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);

    EXPECT_EQ(DefaultButtonFor(MessageButtons::YesNoCancel, 1), QMessageBox::Yes);
    EXPECT_EQ(DefaultButtonFor(MessageButtons::YesNoCancel, 2), QMessageBox::No);
    EXPECT_EQ(DefaultButtonFor(MessageButtons::YesNoCancel, 3), QMessageBox::Cancel);
    EXPECT_EQ(DefaultButtonFor(MessageButtons::OkCancel, 2), QMessageBox::Cancel);
    // Out of range: the first button.
    EXPECT_EQ(DefaultButtonFor(MessageButtons::YesNo, 3), QMessageBox::Yes);
    EXPECT_EQ(DefaultButtonFor(MessageButtons::OkCancel, 0), QMessageBox::Ok);
}

TEST(UiMapping, PressedButtonsAndClosingGiveTheirAnswers)
{
    EXPECT_EQ(ResultFor(QMessageBox::Yes, MessageButtons::YesNoCancel), MessageResult::Yes);
    EXPECT_EQ(ResultFor(QMessageBox::No, MessageButtons::YesNo), MessageResult::No);
    EXPECT_EQ(ResultFor(QMessageBox::Cancel, MessageButtons::OkCancel), MessageResult::Cancel);
    EXPECT_EQ(ResultFor(QMessageBox::Ok, MessageButtons::Ok), MessageResult::Ok);
    // Closed without a button of the set.
    EXPECT_EQ(ResultFor(QMessageBox::NoButton, MessageButtons::YesNoCancel), MessageResult::Cancel);
    EXPECT_EQ(ResultFor(QMessageBox::NoButton, MessageButtons::OkCancel), MessageResult::Cancel);
    EXPECT_EQ(ResultFor(QMessageBox::NoButton, MessageButtons::YesNo), MessageResult::No);
    EXPECT_EQ(ResultFor(QMessageBox::Help, MessageButtons::Ok), MessageResult::Ok);
}

TEST(UiMapping, Icons)
{
    EXPECT_EQ(IconFor(MessageIcon::None), QMessageBox::NoIcon);
    EXPECT_EQ(IconFor(MessageIcon::Information), QMessageBox::Information);
    EXPECT_EQ(IconFor(MessageIcon::Exclamation), QMessageBox::Warning);
    EXPECT_EQ(IconFor(MessageIcon::Critical), QMessageBox::Critical);
    EXPECT_EQ(IconFor(MessageIcon::Question), QMessageBox::Question);
}

TEST(UiMapping, ProgramFiltersBecomeQtNameFilters)
{
    EXPECT_EQ(QtNameFilters("Pictures|*.jpg;*.gif|All files|*.*"),
              "Pictures (*.jpg *.JPG *.gif *.GIF);;All files (*.*)");
    EXPECT_EQ(QtNameFilters("Bitmap|*.Bmp"), "Bitmap (*.Bmp *.bmp *.BMP)");
    EXPECT_EQ(QtNameFilters("JPEG (*.jpg)|*.jpg"), "JPEG (*.jpg *.JPG)");
    EXPECT_EQ(QtNameFilters("Images (Windows)| *.bmp ; ;*.dib "), "Images (Windows) (*.bmp *.BMP *.dib *.DIB)");
    EXPECT_EQ(QtNameFilters("|*.png"), "*.png (*.png *.PNG)");
    // Pairs without patterns, and a description left without its pair, are dropped.
    EXPECT_EQ(QtNameFilters("Nothing||PNG|*.png|Dangling"), "PNG (*.png *.PNG)");
    EXPECT_EQ(QtNameFilters(""), "");
    EXPECT_EQ(QtNameFilters("just text"), "");
}

TEST(UiMapping, SelectionsSplitIntoFolderAndNames)
{
    const auto result = SplitSelection({"/home/ann/Pictures/a.jpg", "/home/ann/Pictures/B c.PNG"});
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->folder, "/home/ann/Pictures");
    EXPECT_EQ(result->names, (QStringList{"a.jpg", "B c.PNG"}));

    const auto atRoot = SplitSelection({"/a.gif"});
    ASSERT_TRUE(atRoot.has_value());
    EXPECT_EQ(atRoot->folder, "/");
    EXPECT_EQ(atRoot->names, QStringList{"a.gif"});

    EXPECT_FALSE(SplitSelection({}).has_value());
}

TEST(UiMapping, ColorsKeepRedInTheLowByte)
{
    EXPECT_EQ(ToQColor(Rgb(10, 20, 30)), QColor(10, 20, 30));
    EXPECT_EQ(FromQColor(QColor(10, 20, 30)), Rgb(10, 20, 30));
    EXPECT_EQ(FromQColor(QColor::fromHsv(0, 255, 255)), Rgb(255, 0, 0));
    EXPECT_EQ(ToQColor(0x80000001u), QColor(1, 0, 0));
}

}  // namespace
}  // namespace pellimore
