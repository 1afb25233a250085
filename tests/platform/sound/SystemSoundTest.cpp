#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/sound/SystemSound.h"
#include "tests/support/RecordingProcessRunner.h"

namespace pellimore {
namespace {

using test::RecordingProcessRunner;

class SystemSoundTest : public testing::Test {
protected:
    void SetUp() override
    {
        wav_ = dir_.filePath(QStringLiteral("pellimore.wav"));
        QFile file(wav_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("RIFF");
        QFile bell(dir_.filePath(QStringLiteral("bell.oga")));
        ASSERT_TRUE(bell.open(QIODevice::WriteOnly));
    }
    QTemporaryDir dir_;
    QString wav_;
    RecordingProcessRunner runner_;
};

TEST_F(SystemSoundTest, PlaysTheFileWithTheFirstPlayerFoundWithoutWaiting)
{
    runner_.SetInstalled({QStringLiteral("aplay"), QStringLiteral("paplay")});
    SystemSound sound(runner_, dir_.path());
    sound.PlayFile(wav_);
    ASSERT_EQ(runner_.Calls().size(), 1u);
    EXPECT_EQ(runner_.Calls()[0].kind, QStringLiteral("launch"));
    EXPECT_EQ(runner_.Calls()[0].command, (QStringList{QStringLiteral("paplay"), wav_}));

    runner_.SetInstalled({QStringLiteral("aplay")});
    runner_.ClearCalls();
    sound.PlayFile(wav_);
    EXPECT_EQ(runner_.Calls()[0].command, (QStringList{QStringLiteral("aplay"), QStringLiteral("-q"), wav_}));
}

TEST_F(SystemSoundTest, AMissingFilePlaysTheDefaultEventSound)
{
    runner_.SetInstalled({QStringLiteral("paplay"), QStringLiteral("canberra-gtk-play")});
    SystemSound sound(runner_, dir_.path());
    sound.PlayFile(dir_.filePath(QStringLiteral("gone.wav")));
    ASSERT_EQ(runner_.Calls().size(), 1u);
    EXPECT_EQ(runner_.Calls()[0].command,
              (QStringList{QStringLiteral("canberra-gtk-play"), QStringLiteral("-i"), QStringLiteral("bell")}));

    // Without libcanberra: the theme's bell file through a player.
    runner_.SetInstalled({QStringLiteral("paplay")});
    runner_.ClearCalls();
    sound.PlayFile(QString());
    ASSERT_EQ(runner_.Calls().size(), 1u);
    EXPECT_EQ(runner_.Calls()[0].command,
              (QStringList{QStringLiteral("paplay"), dir_.filePath(QStringLiteral("bell.oga"))}));
}

TEST_F(SystemSoundTest, NoPlayerAtAllStartsNothing)
{
    SystemSound sound(runner_, dir_.path());
    sound.PlayFile(wav_);
    EXPECT_TRUE(runner_.Calls().empty());
}

}  // namespace
}  // namespace pellimore
