// The ui of runs nobody watches, and the console ui built on it.
#include <gtest/gtest.h>

#include "platform/ui/ConsoleUi.h"
#include "platform/ui/NullUi.h"
#include "tests/support/QtPrinters.h"

namespace pellimore {
namespace {

MessageBoxRequest Box(const QString &text, MessageButtons buttons)
{
    MessageBoxRequest request;
    request.text = text;
    request.title = QStringLiteral("Title");
    request.buttons = buttons;
    request.defaultButton = 1;   // the default button is no answer of its own
    return request;
}

struct SafeChoiceCase {
    MessageButtons buttons;
    MessageResult answer;
};

class SafeChoiceTest : public testing::TestWithParam<SafeChoiceCase> {};

TEST_P(SafeChoiceTest, EveryBoxIsAnsweredWithTheChoiceThatChangesNothing)
{
    NullUi ui;
    ConsoleUi console;
    EXPECT_EQ(ui.MessageBox(Box("a", GetParam().buttons)), GetParam().answer);
    EXPECT_EQ(console.MessageBox(Box("a", GetParam().buttons)), GetParam().answer);
    EXPECT_EQ(NullUi::SafeChoice(GetParam().buttons), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(NullUi, SafeChoiceTest,
                         testing::Values(SafeChoiceCase{MessageButtons::Ok, MessageResult::Ok},
                                         SafeChoiceCase{MessageButtons::OkCancel, MessageResult::Cancel},
                                         SafeChoiceCase{MessageButtons::YesNo, MessageResult::No},
                                         SafeChoiceCase{MessageButtons::YesNoCancel, MessageResult::Cancel}));

TEST(NullUi, RemembersEveryBoxUntilCleared)
{
    NullUi ui;
    ui.Message("first", MessageIcon::Critical, "T");
    ui.MessageBox(Box("second", MessageButtons::YesNo));
    EXPECT_EQ(ui.Messages(), QStringList({"first", "second"}));
    ui.ClearMessages();
    EXPECT_TRUE(ui.Messages().empty());

    ConsoleUi console;
    console.Message("printed and kept", MessageIcon::None, "T");
    EXPECT_EQ(console.Messages(), QStringList({"printed and kept"}));
}

TEST(NullUi, CancelsEveryDialog)
{
    NullUi ui;
    EXPECT_FALSE(ui.OpenFiles({}).has_value());
    EXPECT_FALSE(ui.SaveFile({}).has_value());
    EXPECT_FALSE(ui.ChooseColor(Rgb(1, 2, 3)).has_value());
    EXPECT_FALSE(ui.ChooseFont(QFont()).has_value());
    EXPECT_FALSE(ui.ChooseFolder({}).has_value());
    EXPECT_TRUE(ui.Messages().empty());
}

}  // namespace
}  // namespace pellimore
