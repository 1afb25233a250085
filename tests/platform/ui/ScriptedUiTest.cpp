#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedUi.h"

namespace pellimore {
namespace {

using test::RecordedMessage;
using test::ScriptedUi;

MessageBoxRequest Box(const QString &text, MessageButtons buttons = MessageButtons::Ok,
                      MessageIcon icon = MessageIcon::None, const QString &title = "WallPaper Pellimore")
{
    MessageBoxRequest request;
    request.text = text;
    request.title = title;
    request.buttons = buttons;
    request.icon = icon;
    return request;
}

TEST(ScriptedUi, AnswersExpectedBoxesInOrderAndRecordsThem)
{
    ScriptedUi ui;
    ui.ExpectMessage("Save changes?", "Designer", MessageResult::No)
        .WithIcon(MessageIcon::Question)
        .WithButtons(MessageButtons::YesNoCancel)
        .WithDefaultButton(1);
    ui.ExpectMessageContaining("already running", MessageResult::Ok);
    ui.ExpectColor(Rgb(1, 2, 3));

    EXPECT_EQ(ui.Message("Save changes?", MessageIcon::Question, "Designer", MessageButtons::YesNoCancel),
              MessageResult::No);
    EXPECT_EQ(ui.Message("Wallpaper Pellimore is already running.", MessageIcon::None, "WP Already running"),
              MessageResult::Ok);
    EXPECT_EQ(ui.ChooseColor(Rgb(9, 9, 9)), Rgb(1, 2, 3));
    EXPECT_TRUE(ui.VerifyAllUsed());

    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0], (RecordedMessage{"Save changes?", "Designer", MessageButtons::YesNoCancel,
                                                 MessageIcon::Question, 1, false}));
    EXPECT_EQ(ui.LastMessage().title, "WP Already running");
    EXPECT_EQ(ui.ColorRequests(), std::vector<ColorRef>{Rgb(9, 9, 9)});
    EXPECT_EQ(ui.Log(), (QStringList{"message: Save changes?", "message: Wallpaper Pellimore is already running.",
                                     "colour: 592137"}));
}

TEST(ScriptedUi, AnUnexpectedBoxFailsWithItsTextAndIsAnsweredSafely)
{
    ScriptedUi ui;
    MessageResult answer = MessageResult::Yes;
    EXPECT_NONFATAL_FAILURE(answer = ui.MessageBox(Box("Delete all pictures?", MessageButtons::YesNoCancel)),
                            "Delete all pictures?");
    EXPECT_EQ(answer, MessageResult::Cancel);
    EXPECT_NONFATAL_FAILURE(answer = ui.MessageBox(Box("Really?", MessageButtons::YesNo)), "nothing more was expected");
    EXPECT_EQ(answer, MessageResult::No);
    EXPECT_NONFATAL_FAILURE(answer = ui.MessageBox(Box("Note", MessageButtons::Ok)), "title:   \"WallPaper Pellimore\"");
    EXPECT_EQ(answer, MessageResult::Ok);
    EXPECT_EQ(ui.Messages().size(), 3u);
}

TEST(ScriptedUi, ABoxThatDiffersFromTheExpectationFails)
{
    ScriptedUi ui;
    ui.ExpectMessage("Saved.", "Designer", MessageResult::Ok);
    EXPECT_NONFATAL_FAILURE(ui.MessageBox(Box("Saved!", MessageButtons::Ok, MessageIcon::None, "Designer")),
                            "text should be \"Saved.\"");
    ui.ExpectMessage("Saved.", "Designer", MessageResult::Ok);
    EXPECT_NONFATAL_FAILURE(ui.MessageBox(Box("Saved.")), "title should be \"Designer\"");
    ui.ExpectMessage(MessageResult::Yes).WithIcon(MessageIcon::Critical).WithButtons(MessageButtons::YesNo);
    MessageResult answer = MessageResult::Yes;
    EXPECT_NONFATAL_FAILURE(answer = ui.MessageBox(Box("x", MessageButtons::YesNo, MessageIcon::Exclamation)),
                            "icon should be Critical");
    EXPECT_EQ(answer, MessageResult::No);
    // A scripted answer the box cannot give.
    ui.ExpectMessage(MessageResult::Yes);
    EXPECT_NONFATAL_FAILURE(answer = ui.MessageBox(Box("x", MessageButtons::OkCancel)),
                            "no button for the scripted answer Yes");
    EXPECT_EQ(answer, MessageResult::Cancel);
}

TEST(ScriptedUi, ADialogInPlaceOfTheExpectedBoxFailsAndLeavesTheBoxExpected)
{
    ScriptedUi ui;
    ui.ExpectMessage("Done.", MessageResult::Ok);
    std::optional<OpenFilesResult> files;
    EXPECT_NONFATAL_FAILURE(files = ui.OpenFiles({"Add pictures", "Pictures|*.jpg", "/tmp", true}),
                            "next expected: a message box with the text \"Done.\"");
    EXPECT_FALSE(files.has_value());
    EXPECT_EQ(ui.Message("Done.", MessageIcon::Information, ""), MessageResult::Ok);
}

TEST(ScriptedUi, ExpectationsNeverUsedFailTheTest)
{
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedUi ui;
            ui.ExpectMessage("Never shown", MessageResult::Ok);
        },
        "a message box with the text \"Never shown\" (expected at");
    ScriptedUi ui;
    ui.ExpectFolder(QString("/tmp"));
    bool allUsed = true;
    EXPECT_NONFATAL_FAILURE(allUsed = ui.VerifyAllUsed(), "a folder chooser");
    EXPECT_FALSE(allUsed);
    EXPECT_EQ(ui.PendingExpectations(), 0);
}

TEST(ScriptedUi, PressesHelpBeforeAnswering)
{
    ScriptedUi ui;
    int helpCalls = 0;
    MessageBoxRequest request = Box("Wallpaper Pellimore is already running.");
    request.helpButton = true;
    request.onHelp = [&] {
        ++helpCalls;
        ui.Message("The help file is missing.", MessageIcon::Exclamation, "HTML Help Class");
    };
    ui.ExpectMessageContaining("already running", MessageResult::Ok).WithHelpButton().PressHelp();
    ui.ExpectMessage("The help file is missing.", "HTML Help Class", MessageResult::Ok);
    EXPECT_EQ(ui.MessageBox(request), MessageResult::Ok);
    EXPECT_EQ(helpCalls, 1);

    ui.ExpectMessage(MessageResult::Ok).PressHelp();
    EXPECT_NONFATAL_FAILURE(ui.MessageBox(Box("No help here")), "should have a Help button to press");
}

TEST(ScriptedUi, AnswersDialogsFromTheScript)
{
    ScriptedUi ui;
    ui.ExpectOpenFiles("/pictures", {"a.jpg", "b.png"});
    ui.ExpectOpenFiles(std::nullopt);
    ui.ExpectSaveFile(QString("/pictures/new.jpg"));
    ui.ExpectFont(std::nullopt);
    ui.ExpectFolder(QString("/screensaver"));

    const auto files = ui.OpenFiles({"Add", "Pictures|*.jpg", "/home", true});
    ASSERT_TRUE(files.has_value());
    EXPECT_EQ(files->folder, "/pictures");
    EXPECT_EQ(files->names, (QStringList{"a.jpg", "b.png"}));
    EXPECT_FALSE(ui.OpenFiles({"Add", "", "", true}).has_value());
    EXPECT_EQ(ui.SaveFile({"Save", "JPEG|*.jpg", "new.jpg", "/pictures", true, "jpg"}), "/pictures/new.jpg");
    EXPECT_EQ(ui.ChooseFont(QFont("Serif", 12)), std::nullopt);
    EXPECT_EQ(ui.ChooseFolder({"Folder", "/"}), "/screensaver");

    ASSERT_EQ(ui.OpenFilesRequests().size(), 2u);
    EXPECT_EQ(ui.OpenFilesRequests()[0].filter, "Pictures|*.jpg");
    EXPECT_TRUE(ui.SaveFileRequests()[0].confirmOverwrite);
    EXPECT_EQ(ui.FontRequests()[0].family(), QFont("Serif", 12).family());
    EXPECT_EQ(ui.FolderRequests()[0].title, "Folder");

    // Several files for a dialog that allows one is a mistake in the test.
    ui.ExpectOpenFiles("/pictures", {"a.jpg", "b.png"});
    EXPECT_NONFATAL_FAILURE(ui.OpenFiles({"Open", "", "", false}), "without multiple selection");
}

}  // namespace
}  // namespace pellimore
