// The Combine Pictures window's behaviour through its model: the real app,
// picture folder, backgrounds and settings file under a temporary HOME, a
// recording desktop, a scripted ui, and recording stand-ins for the forms.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>

#include <memory>

#include "platform/Platform.h"
#include "platform/ProgramNames.h"
#include "platform/shell/QtShellFolders.h"
#include "platform/store/IniSettingsStore.h"
#include "platform/store/SettingsKeys.h"
#include "tests/support/FixedClock.h"
#include "tests/support/RecordingDesktop.h"
#include "tests/support/RecordingHelp.h"
#include "tests/support/ScriptedInstance.h"
#include "tests/support/ScriptedRandom.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempHome.h"
#include "wallpaper/designer/modGradients.h"
#include "wallpaper/window/DesignerModel.h"
#include "wallpaper/window/MainWindowModel.h"

namespace pellimore::test {
namespace {

class RecordingMainForm final : public MainWindowView {
public:
    void UpdateControls() override {}
    void ShowSplash(bool) override {}
    void ShowWindow() override { visible = true; }
    void HideWindow(bool) override { visible = false; }
    void SetTrayIconShown(bool) override {}
    void PopUpTrayMenu() override {}
    bool AskExit() override { return true; }
    bool ShowReminder(bool) override { return false; }
    void ShowAbout() override {}
    void SetBusy(bool) override {}
    bool ShowAnimatedPreview(const QString &, ColorRef) override { return false; }
    void StopAnimatedPreview() override {}
    void CloseWindow() override {}
    void EndProgram() override {}
    void OpenDesigner() override {}
    void OpenResize() override {}

    bool visible = false;
};

class RecordingDesigner final : public DesignerView {
public:
    void UpdateControls() override { ++updates; }
    void SetBusy(bool) override {}
    void FocusSetMargins() override { ++marginFocus; }
    void CloseWindow() override { ++closes; }
    std::optional<ColorRef> ScreenColorUnderPointer() override { return screenColor; }

    int updates = 0;
    int marginFocus = 0;
    int closes = 0;
    std::optional<ColorRef> screenColor;
};

class DesignerModelTest : public testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(QDir::homePath() + "/.config/Corvane/Corvane.ini");
        QDir(Pictures()).removeRecursively();
        QDir().mkpath(Backgrounds());
        WritePicture(Pictures() + "/front.jpg", QSize(1000, 600), QColor(200, 40, 40));
        WritePicture(Backgrounds() + "/small.jpg", QSize(400, 300), QColor(20, 160, 20));
        WritePicture(Backgrounds() + "/wide.jpg", QSize(401, 300), QColor(20, 20, 160));
        Store(WallpaperKeys::kFolder, Pictures());
        Store(WallpaperKeys::kStartup, " 0");
        Store(WallpaperKeys::kSound, " 0");
        Store(WallpaperKeys::kAutoStartMessage, "1");
    }

    static QString Pictures() { return QDir::homePath() + "/pictures"; }
    static QString Backgrounds() { return Pictures() + "/backgrounds"; }
    static void WritePicture(const QString &path, QSize size, QColor color)
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        ASSERT_TRUE(image.save(path));
    }
    void Store(const QString &key, const QString &value)
    {
        store.SaveSetting(kApplicationName, WallpaperKeys::kSection, key, value);
    }
    QString Setting(const QString &key) const
    {
        return store.GetSetting(kApplicationName, WallpaperKeys::kSection, key);
    }

    // A started program with the front picture selected and the designer open.
    struct Program {
        explicit Program(DesignerModelTest &test)
            : app({test.platform, test.instance, test.desktop, test.activeDesktop, test.sound,
                   QStringLiteral("/usr/bin/WallPaper")}),
              main(app, mainForm)
        {
            started = app.Start({}) == StartOutcome::Running;
            main.FileList_Click(app.Library().PictureNames().indexOf("front.jpg"));
            Open();
        }
        void Open()
        {
            designer = std::make_unique<DesignerModel>(main, form);
            designer->Form_Load();
        }
        void Close()
        {
            if (designer->QueryUnload()) {
                designer->Form_Unload();
                designer.reset();
            }
        }
        int Background(const char *name) const { return int(designer->BackgroundNames().indexOf(name)); }

        WallpaperApp app;
        RecordingMainForm mainForm;
        MainWindowModel main;
        RecordingDesigner form;
        std::unique_ptr<DesignerModel> designer;
        bool started = false;
    };

    IniSettingsStore store;
    ScriptedUi ui;
    QtShellFolders shell{SourcePath("assets"), QDir::homePath() + "/no-program"};
    FixedClock clock;
    ScriptedRandom random;
    RecordingHelp help;
    Platform platform{store, ui, shell, clock, random, help};
    ScriptedInstance instance;
    RecordingDesktop desktop{QSize(1024, 768)};
    UnavailableActiveDesktop activeDesktop;
    RecordingSound sound;
};

TEST_F(DesignerModelTest, OpeningFitsTheMarginsToTheFrontPictureAndHidesTheMainWindow)
{
    Program program(*this);
    ASSERT_TRUE(program.started);
    DesignerModel &designer = *program.designer;
    // 1000 + 72 overflows 1024; 600 + 72 fits in 768.
    EXPECT_EQ(designer.Settings().marginText[0], "0");
    EXPECT_EQ(designer.Settings().marginText[1], "72");
    EXPECT_EQ(designer.ScreenResolutionText(), "Desktop = 1024 x 768");
    EXPECT_EQ(designer.BackgroundNames(), QStringList({"small.jpg", "wide.jpg"}));
    EXPECT_FALSE(designer.SaveEnabled());
    EXPECT_FALSE(designer.MarginsEnabled()) << "centred: no margins";
    EXPECT_FALSE(program.mainForm.visible);
    EXPECT_EQ(QSize(designer.FrontPreview().Width(), designer.FrontPreview().Height()),
              designer.PreviewInMonitor().size());

    designer.imgHelp_Click();
    ASSERT_FALSE(help.Empty());
    EXPECT_EQ(help.Last().keyword, "Combine Pictures");
    EXPECT_TRUE(help.Last().helpFile.endsWith("WP.chm"));

    program.Close();
    EXPECT_TRUE(program.mainForm.visible) << "the main window comes back";
}

TEST_F(DesignerModelTest, ChoosingABackgroundShowsItAtActualSizeOnlyUpTo400Pixels)
{
    Program program(*this);
    DesignerModel &designer = *program.designer;
    designer.FileList_Click(program.Background("small.jpg"));
    EXPECT_TRUE(designer.TileShown());
    EXPECT_EQ(designer.Tile().Width(), 400);
    EXPECT_TRUE(designer.SaveEnabled());
    EXPECT_TRUE(designer.PreviewEnabled());
    EXPECT_TRUE(designer.CombinedPreview().HasPicture());

    designer.FileList_Click(program.Background("wide.jpg"));
    EXPECT_FALSE(designer.TileShown());
    // The blue background fills the background preview and the combined
    // preview's corner; the red front picture sits in the combined centre.
    const QImage background = designer.BackgroundPreview().Image().ToImage();
    const QImage combined = designer.CombinedPreview().Image().ToImage();
    EXPECT_NEAR(background.pixelColor(background.rect().center()).blue(), 160, 8);
    EXPECT_NEAR(combined.pixelColor(1, 1).blue(), 160, 8);
    EXPECT_NEAR(combined.pixelColor(combined.rect().center()).red(), 200, 8);
}

TEST_F(DesignerModelTest, ABackgroundThatVanishedIsDroppedAndTheOneBeforeChosen)
{
    Program program(*this);
    DesignerModel &designer = *program.designer;
    ASSERT_TRUE(QFile::remove(Backgrounds() + "/wide.jpg"));
    designer.FileList_Click(1);
    EXPECT_EQ(designer.BackgroundNames(), QStringList({"small.jpg"}));
    EXPECT_EQ(designer.SelectedBackground(), 0);
    EXPECT_TRUE(designer.TileShown());
}

TEST_F(DesignerModelTest, AnUnreadableBackgroundStaysListedAndCannotBeSavedOrPreviewed)
{
    QFile broken(Backgrounds() + "/a-broken.jpg");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    Program program(*this);
    DesignerModel &designer = *program.designer;
    designer.FileList_Click(program.Background("a-broken.jpg"));
    EXPECT_EQ(designer.BackgroundNames().size(), 3);
    EXPECT_FALSE(designer.SaveEnabled());
    EXPECT_FALSE(designer.PreviewEnabled());
    EXPECT_FALSE(designer.TileShown());
    designer.FileList_Click(program.Background("small.jpg"));
    EXPECT_TRUE(designer.SaveEnabled());
}

TEST_F(DesignerModelTest, MarginBoxesTakeDigitsAndBackspaceAndAnyKeyDisablesPreview)
{
    Program program(*this);
    DesignerModel &designer = *program.designer;
    designer.FileList_Click(0);
    ASSERT_TRUE(designer.PreviewEnabled());
    EXPECT_FALSE(designer.txtMargin_KeyPress(1, QLatin1Char('a'), false));
    EXPECT_EQ(designer.Settings().marginText[0], "0") << "the letter changes nothing";
    EXPECT_FALSE(designer.PreviewEnabled());
    EXPECT_TRUE(designer.txtMargin_KeyPress(1, QLatin1Char('7'), false));
    EXPECT_TRUE(designer.txtMargin_KeyPress(1, QChar(), true));

    designer.optOrient_Click(int(FrontOrientation::TopLeft));
    EXPECT_TRUE(designer.MarginsEnabled());
    EXPECT_EQ(program.form.marginFocus, 1);
    EXPECT_TRUE(designer.PreviewEnabled());
    // A margin too big for the desktop is corrected with a message.
    designer.txtMargin_Change(2, "500");
    ui.ExpectMessageContaining("Vertical Margin is too big!", MessageResult::Ok);
    designer.cmdMargin_Click();
    EXPECT_EQ(designer.Settings().marginText[1], "168");
    EXPECT_TRUE(ui.VerifyAllUsed());
}

TEST_F(DesignerModelTest, ReverseTogglesEachKindsAnglePairAndSphereStaysAtZero)
{
    Program program(*this);
    DesignerModel &designer = *program.designer;
    modGradients &gradients = program.main.Designer().gradients;
    designer.optBackType_Click(BackgroundType::Gradient);
    struct Case {
        GradientKind kind;
        float angle, reversed;
    };
    for (const Case &c : {Case{GradientKind::Horizontal, 90, 270}, Case{GradientKind::Vertical, 0, 180},
                          Case{GradientKind::Diagonal, 315, 235}, Case{GradientKind::Sphere, 0, 0}}) {
        designer.ckReverse_Click(false);
        designer.optGrad_Click(int(c.kind));
        EXPECT_EQ(gradients.GetAngle(), c.angle) << int(c.kind);
        designer.ckReverse_Click(true);
        EXPECT_EQ(gradients.GetAngle(), c.reversed) << int(c.kind);
        designer.ckReverse_Click(false);
        EXPECT_EQ(gradients.GetAngle(), c.angle) << int(c.kind);
    }
    EXPECT_TRUE(designer.SaveEnabled());
    EXPECT_TRUE(designer.BackgroundPreview().HasPicture() || designer.BackgroundPreview().Width() > 0);
}

TEST_F(DesignerModelTest, TheGradientColoursSurviveClosingAndReopening)
{
    Program program(*this);
    program.designer->optBackType_Click(BackgroundType::Gradient);
    ui.ExpectColor(0x203040);
    program.designer->lblGradient_Click(1);
    EXPECT_EQ(program.designer->EndColor(), 0x203040u);
    EXPECT_EQ(program.designer->ColorTarget(), 1);
    ui.ExpectColor(std::nullopt);
    program.designer->lblGradient_Click(0);
    EXPECT_EQ(program.designer->StartColor(), 0xFFFFFFu) << "a cancelled dialog keeps the colour";

    program.Close();
    program.Open();
    EXPECT_EQ(program.designer->EndColor(), 0x203040u);
    EXPECT_EQ(program.main.Designer().gradients.EndColor(), 0x203040u);
    EXPECT_TRUE(ui.VerifyAllUsed());
}

TEST_F(DesignerModelTest, TheEyedropperShowsTheScreenColourWhileHeldAndStoresItOnRelease)
{
    Program program(*this);
    DesignerModel &designer = *program.designer;
    designer.optBackType_Click(BackgroundType::Gradient);
    designer.optColor_Click(0);
    designer.imgCursor_MouseDown();
    program.form.screenColor = 0x00AA55;
    designer.Timer1_Timer();
    EXPECT_EQ(designer.SamplingColor(), std::optional<ColorRef>(0x00AA55));
    EXPECT_EQ(designer.StartColor(), 0xFFFFFFu) << "stored only on release";
    program.form.screenColor = 0x112233;
    designer.Timer1_Timer();
    designer.imgCursor_MouseUp();
    EXPECT_FALSE(designer.Sampling());
    EXPECT_EQ(designer.StartColor(), 0x112233u);
    EXPECT_EQ(program.main.Designer().gradients.StartColor(), 0x112233u);

    // Where the desktop's own picker answers instead, its colour is stored the same way.
    designer.optColor_Click(1);
    designer.ScreenColorPicked(0x445566);
    EXPECT_EQ(designer.EndColor(), 0x445566u);
    EXPECT_EQ(designer.StartColor(), 0x112233u);
}

TEST_F(DesignerModelTest, TheDesktopPreviewShowsTheDesignAndClosingEndsItInsteadOfClosing)
{
    Program program(*this);
    DesignerModel &designer = *program.designer;
    const QString own = Pictures() + "/" + kRenderedWallpaperName;
    QImage(64, 48, QImage::Format_RGB32).save(own, "BMP");
    designer.FileList_Click(program.Background("small.jpg"));
    const size_t before = desktop.AppliedWallpapers().size();
    designer.cmdPreview_Click();
    ASSERT_TRUE(designer.Previewing());
    EXPECT_EQ(designer.PreviewCaption(), "End &Preview");
    const QString temp = Pictures() + "/" + kPreviewComboName;
    ASSERT_EQ(desktop.AppliedWallpapers().size(), before + 1);
    EXPECT_EQ(desktop.AppliedWallpapers().back().path, temp);
    EXPECT_EQ(desktop.AppliedWallpapers().back().picture.Width(), 1024);
    EXPECT_TRUE(QFile::exists(temp));
    EXPECT_EQ(Setting(kDesignerPreviewKey), "1") << "noted against a crash";

    EXPECT_FALSE(program.designer->QueryUnload());
    EXPECT_FALSE(designer.Previewing());
    EXPECT_EQ(designer.PreviewCaption(), "&Preview");
    EXPECT_FALSE(QFile::exists(temp));
    EXPECT_EQ(desktop.AppliedWallpapers().back().path, own) << "the program's own wallpaper is back";
    EXPECT_TRUE(Setting(kDesignerPreviewKey).isEmpty());

    // A change of the design ends a running preview as well.
    designer.cmdPreview_Click();
    ASSERT_TRUE(designer.Previewing());
    designer.ckBorder_Click(true);
    EXPECT_FALSE(designer.Previewing());
    EXPECT_FALSE(QFile::exists(temp));

    // Saving ends it too, and the desktop does not keep the deleted picture.
    designer.cmdPreview_Click();
    ASSERT_TRUE(designer.Previewing());
    ui.ExpectSaveFile(std::nullopt);
    designer.cmdSavePic_Click();
    EXPECT_FALSE(designer.Previewing());
    EXPECT_FALSE(QFile::exists(temp));
    EXPECT_EQ(desktop.AppliedWallpapers().back().path, own);
    EXPECT_TRUE(ui.VerifyAllUsed());
}

TEST_F(DesignerModelTest, APreviewCutShortIsRevertedAtTheNextStart)
{
    const QString temp = Pictures() + "/" + kPreviewComboName;
    const QString own = Pictures() + "/" + kRenderedWallpaperName;
    QImage(64, 48, QImage::Format_RGB32).save(own, "BMP");
    {
        Program program(*this);
        program.designer->FileList_Click(0);
        program.designer->cmdPreview_Click();
        ASSERT_TRUE(QFile::exists(temp));
        // Killed: nothing runs on the way out.
        program.designer.release();
    }
    Program restarted(*this);
    const size_t before = desktop.AppliedWallpapers().size();
    DesignerModel::RevertInterruptedPreview(restarted.main);
    EXPECT_FALSE(QFile::exists(temp));
    ASSERT_EQ(desktop.AppliedWallpapers().size(), before + 1);
    EXPECT_EQ(desktop.AppliedWallpapers().back().path, own);
    EXPECT_TRUE(Setting(kDesignerPreviewKey).isEmpty());
    DesignerModel::RevertInterruptedPreview(restarted.main);
    EXPECT_EQ(desktop.AppliedWallpapers().size(), before + 1) << "once only";
}

TEST_F(DesignerModelTest, BackgroundOnlyWithAGradientOffersGradientComboAndACancelLeavesTheWindowOpen)
{
    Program program(*this);
    DesignerModel &designer = *program.designer;
    designer.optBackType_Click(BackgroundType::Gradient);
    designer.ckNoFrontPic_Click(true);
    EXPECT_FALSE(designer.FrontPreview().HasPicture());
    ui.ExpectSaveFile(std::nullopt);
    designer.cmdSavePic_Click();
    ASSERT_EQ(ui.SaveFileRequests().size(), 1u);
    EXPECT_EQ(ui.SaveFileRequests().back().fileName, "GradientCombo.jpg");
    EXPECT_TRUE(designer.SavedShown());
    EXPECT_EQ(designer.SavedText(), "Saved!");
    EXPECT_EQ(program.form.closes, 0);

    // With the front picture, the front picture's name.
    designer.ckNoFrontPic_Click(false);
    ui.ExpectSaveFile(std::nullopt);
    designer.cmdSavePic_Click();
    EXPECT_EQ(ui.SaveFileRequests().back().fileName, "frontCombo.jpg");
    // A picture background alone: the background's name.
    designer.optBackType_Click(BackgroundType::Picture);
    designer.FileList_Click(program.Background("wide.jpg"));
    designer.ckNoFrontPic_Click(true);
    ui.ExpectSaveFile(std::nullopt);
    designer.cmdSavePic_Click();
    EXPECT_EQ(ui.SaveFileRequests().back().fileName, "wideCombo.jpg");
    EXPECT_TRUE(ui.VerifyAllUsed());
}

// The estimated quality of a JPEG, by ImageMagick; -1 when it cannot tell.
int JpegQuality(const QString &path)
{
    const QString identify = QStandardPaths::findExecutable("identify");
    if (identify.isEmpty())
        return -1;
    QProcess process;
    process.start(identify, {"-format", "%Q", path});
    process.waitForFinished(20000);
    bool ok = false;
    const int quality = QString::fromLatin1(process.readAllStandardOutput()).trimmed().toInt(&ok);
    return ok ? quality : -1;
}

TEST_F(DesignerModelTest, ASavedDesignIsAJpegOfTheChosenQualityListedAndSelectedInTheMainWindow)
{
    if (QStandardPaths::findExecutable("identify").isEmpty())
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    for (const int quality : {85, 93, 100}) {
        Program program(*this);
        program.app.State().JpegQuality = quality;
        program.designer->FileList_Click(program.Background("small.jpg"));
        const QString path = Pictures() + QStringLiteral("/design%1.jpg").arg(quality);
        ui.ExpectSaveFile(path);
        program.designer->cmdSavePic_Click();
        EXPECT_EQ(program.form.closes, 1);
        EXPECT_EQ(program.designer->SavedText(), "Saved!");
        EXPECT_EQ(QImageReader(path).format(), "jpeg");
        EXPECT_EQ(QImageReader(path).size(), QSize(1024, 768));
        EXPECT_EQ(JpegQuality(path), quality);
        const QString name = QStringLiteral("design%1.jpg").arg(quality);
        ASSERT_TRUE(program.main.PictureNames().contains(name));
        EXPECT_EQ(program.main.PictureNames().at(program.main.SelectedIndex()), name);
        program.Close();
    }
}

TEST_F(DesignerModelTest, RemoveAsksThenKeepsACopyInRemoveAndSelectsTheFirstEntry)
{
    Program program(*this);
    DesignerModel &designer = *program.designer;
    ui.ExpectMessage(kRemoveBackgroundHint, MessageResult::Ok);
    designer.cmdRemove_Click();

    designer.FileList_Click(program.Background("wide.jpg"));
    ui.ExpectMessage("Remove wide.jpg from Backgrounds list?", MessageResult::No)
        .WithButtons(MessageButtons::YesNo);
    designer.cmdRemove_Click();
    EXPECT_TRUE(QFile::exists(Backgrounds() + "/wide.jpg"));
    EXPECT_TRUE(QDir(Pictures() + "/Remove").exists()) << "the folder is made before asking";

    ui.ExpectMessage("Remove wide.jpg from Backgrounds list?", MessageResult::Yes);
    designer.cmdRemove_Click();
    EXPECT_FALSE(QFile::exists(Backgrounds() + "/wide.jpg"));
    EXPECT_EQ(QImage(Pictures() + "/Remove/wide.jpg").size(), QSize(401, 300));
    EXPECT_EQ(designer.BackgroundNames(), QStringList({"small.jpg"}));
    EXPECT_EQ(designer.SelectedBackground(), 0);
    EXPECT_TRUE(ui.VerifyAllUsed());
}

TEST_F(DesignerModelTest, AddCopiesIntoTheBackgroundsAndSelectsTheNewOne)
{
    Program program(*this);
    const QString outside = QDir::homePath() + "/elsewhere";
    QDir().mkpath(outside);
    WritePicture(outside + "/added.jpg", QSize(120, 90), Qt::yellow);
    ui.ExpectOpenFiles(outside, {"added.jpg"});
    program.designer->cmdAddPic_Click();
    EXPECT_TRUE(program.designer->BackgroundNames().contains("added.jpg"));
    EXPECT_EQ(program.designer->SelectedBackground(), program.Background("added.jpg"));
    EXPECT_TRUE(program.designer->TileShown());
    EXPECT_TRUE(ui.VerifyAllUsed());
}

}  // namespace
}  // namespace pellimore::test
