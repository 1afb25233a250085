#include <gtest/gtest.h>

#include "screensaver/CommandLine.h"

using namespace pellimore;

namespace {

SaverCommand Parse(const QString &line, const QString &env = QString())
{
    return ParseCommandLine(line.isEmpty() ? QStringList() : line.split(QLatin1Char(' ')), env);
}

}  // namespace

TEST(CommandLine, WindowsTable)
{
    struct Case {
        const char *line;
        RunMode mode;
        uint32_t parent;
    };
    const Case cases[] = {
        {"/s", RunMode::Show, 0},        {"/S", RunMode::Show, 0},         {"/S 123", RunMode::Show, 0},
        {"/c:456", RunMode::Setup, 0},   {"/C", RunMode::Setup, 0},        {"", RunMode::Setup, 0},
        {"/p 5678", RunMode::Preview, 5678}, {"/P 5678", RunMode::Preview, 5678},
        {"/p", RunMode::Preview, 0},     {"/p abc", RunMode::Preview, 0},  {"/p 12x4", RunMode::Preview, 12},
        {"/p 0x1c00007", RunMode::Preview, 0x1c00007},
        {"/p 99999999999", RunMode::Preview, 0},  // too large for a window: none
        {"-s", RunMode::Show, 0},        {"x", RunMode::Show, 0},          {"/Z", RunMode::Show, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        const SaverCommand command = Parse(QString::fromLatin1(c.line));
        EXPECT_EQ(command.mode, c.mode);
        EXPECT_EQ(command.previewParent, c.parent);
        EXPECT_FALSE(command.askPassword);
        EXPECT_EQ(command.target, ShowTarget::OwnWindow);
        EXPECT_TRUE(command.error.isEmpty());
    }
}

TEST(CommandLine, PasswordRequestInAnyCase)
{
    EXPECT_TRUE(Parse("/a").askPassword);
    EXPECT_TRUE(Parse("/A 1234").askPassword);
    EXPECT_FALSE(Parse("/s").askPassword);
}

TEST(CommandLine, XScreenSaverConventions)
{
    const SaverCommand root = Parse("-root");
    EXPECT_EQ(root.mode, RunMode::Show);
    EXPECT_EQ(root.target, ShowTarget::RootWindow);

    const SaverCommand hex = Parse("-window-id 0x400001");
    EXPECT_EQ(hex.mode, RunMode::Show);
    EXPECT_EQ(hex.target, ShowTarget::ForeignWindow);
    EXPECT_EQ(hex.targetWindow, 0x400001u);
    EXPECT_TRUE(hex.error.isEmpty());

    EXPECT_EQ(Parse("-window-id 4194305").targetWindow, 4194305u);

    // The daemon names its window in the environment and passes -root.
    const SaverCommand fromEnv = Parse("-root", QStringLiteral("0x2a00003"));
    EXPECT_EQ(fromEnv.target, ShowTarget::ForeignWindow);
    EXPECT_EQ(fromEnv.targetWindow, 0x2a00003u);
    // Other options of the daemon do not get in the way.
    EXPECT_EQ(Parse("-root -delay 1000").target, ShowTarget::RootWindow);

    EXPECT_FALSE(Parse("-window-id").error.isEmpty());
    EXPECT_FALSE(Parse("-window-id zz").error.isEmpty());
    EXPECT_FALSE(Parse("-window-id 0").error.isEmpty());

    // The GNU spellings of Debian's savers and MATE's themes.
    EXPECT_EQ(Parse("--root").target, ShowTarget::RootWindow);
    EXPECT_EQ(Parse("--root", QStringLiteral("4194306")).targetWindow, 4194306u);
    const SaverCommand gnu = Parse("--window-id 0x400001");
    EXPECT_EQ(gnu.target, ShowTarget::ForeignWindow);
    EXPECT_EQ(gnu.targetWindow, 0x400001u);
    EXPECT_FALSE(Parse("--window-id").error.isEmpty());
}

TEST(CommandLine, BeginsWithShow)
{
    EXPECT_TRUE(BeginsWithShow("/s"));
    EXPECT_TRUE(BeginsWithShow("/S 99"));
    EXPECT_FALSE(BeginsWithShow("-s"));
    EXPECT_FALSE(BeginsWithShow(""));
}
