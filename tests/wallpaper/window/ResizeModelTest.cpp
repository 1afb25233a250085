// The Resize and Crop window through its model, with a recording stand-in
// for the form.
#include <QImageReader>

#include "tests/wallpaper/window/ResizeFixture.h"
#include "wallpaper/resize/Resize.h"

namespace pellimore::test {
namespace {

class RecordingResizeForm final : public ResizeView {
public:
    void UpdateControls() override { ++updates; }
    void SetBusy(bool busy) override { busyDepth += busy ? 1 : -1; }
    void ShowProgress(int done, int total) override
    {
        progress.push_back(done);
        progressTotal = total;
    }
    void FocusScale() override { ++scaleFocus; }
    void CloseWindow() override { closed = true; }

    int updates = 0;
    int busyDepth = 0;
    std::vector<int> progress;
    int progressTotal = 0;
    int scaleFocus = 0;
    bool closed = false;
};

Bitmap Block(const Bitmap &source, const QRect &area)
{
    Bitmap block(area.width(), area.height(), source.BitCount());
    BitBlt(block, 0, 0, area.width(), area.height(), source, area.x(), area.y(), kSrcCopy);
    return block;
}

class ResizeModelTest : public ResizeFixture {
protected:
    // Starts the app with `name` selected and opens the window on it.
    bool Open(const QString &name, QSize screen = QSize(1920, 1080))
    {
        if (!Start(name))
            return false;
        model = std::make_unique<ResizeModel>(*app, form, screen);
        return model->Load();
    }

    RecordingResizeForm form;
    std::unique_ptr<ResizeModel> model;
};

TEST_F(ResizeModelTest, LoadingShowsTheSizesTitleAndAFullSizeViewWithSaveDisabled)
{
    Write("sunset.png", Pattern(300, 150));
    ASSERT_TRUE(Open("sunset.png"));
    EXPECT_EQ(model->Title(), "sunset.png - Resize Picture");
    EXPECT_EQ(model->SizeText(), "Original Size: 300 x 150");
    EXPECT_TRUE(model->DesktopText().startsWith("Desktop: "));
    EXPECT_EQ(model->SliderPosition(), 10);
    EXPECT_EQ(model->ScaleText(), "100");
    EXPECT_FALSE(model->SaveEnabled());
    EXPECT_EQ(model->ViewScale(), 0.0f);
    EXPECT_EQ(model->Crop().Picture(), model->Original().Picture());
    // A small picture keeps the fixed smallest frame.
    EXPECT_EQ(model->Layout().frame, QSize(11500 / 15, 3000 / 15));
    EXPECT_EQ(model->Layout().window.height(), 3350 / 15);
    EXPECT_FALSE(model->Layout().hScroll || model->Layout().vScroll);
}

TEST_F(ResizeModelTest, APictureThatCannotBeOpenedDoesNotOpenTheWindow)
{
    QFile broken(Pictures() + "/broken.jpg");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture at all");
    broken.close();
    Write("fine.png", Pattern(20, 20));
    EXPECT_FALSE(Open("broken.jpg"));
}

TEST_F(ResizeModelTest, TheSliderRefusesSizesOfNothingAndMovesUpToTheFirstThatGivesAPicture)
{
    Write("square.png", Pattern(15, 15));
    Write("narrow.png", Pattern(9, 40));
    ASSERT_TRUE(Open("square.png"));
    // floor(1.5) = 1: accepted.
    model->Slider1_Change(1);
    EXPECT_EQ(model->SizeText(), "1 x 1 pixels");
    EXPECT_EQ(model->ScaleText(), "10");
    EXPECT_TRUE(model->SaveEnabled());
    // Position 0 is refused for any picture.
    ui.ExpectMessage(kResizeSmallerText, kResizeSmallerTitle, MessageResult::Ok).WithIcon(MessageIcon::Critical);
    model->Slider1_Change(0);
    EXPECT_EQ(model->SliderPosition(), 1);
    EXPECT_EQ(model->SizeText(), "1 x 1 pixels");
    ASSERT_TRUE(ui.VerifyAllUsed());

    ASSERT_TRUE(Open("narrow.png"));
    ui.ExpectMessage(kResizeSmallerText, kResizeSmallerTitle, MessageResult::Ok);
    model->Slider1_Change(1);  // floor(0.9) = 0
    EXPECT_EQ(model->SliderPosition(), 2);
    EXPECT_EQ(model->ScaleText(), "20");
    EXPECT_EQ(model->SizeText(), "1 x 8 pixels");
}

TEST_F(ResizeModelTest, CropModeDrawsAnInvertedRubberBandThatADiscardedDragTakesAway)
{
    Write("pic.png", Pattern(300, 200));
    ASSERT_TRUE(Open("pic.png"));
    model->cmdCrop_Click();
    EXPECT_TRUE(model->CropMode());
    EXPECT_EQ(model->CropCaption(), "End Crop");
    EXPECT_FALSE(model->SaveEnabled());
    const Bitmap clean = model->Crop().Image();

    model->picCrop_MouseDown(QPointF(20, 30));
    model->picCrop_MouseMove(QPointF(120, 90));
    EXPECT_TRUE(model->Dragging());
    const Bitmap &shown = model->Crop().Image();
    // The outline inverts what is under it; inside stays untouched.
    EXPECT_EQ(shown.At(20, 30) & 0xFFFFFF, ~clean.At(20, 30) & 0xFFFFFF);
    EXPECT_EQ(shown.At(120, 60) & 0xFFFFFF, ~clean.At(120, 60) & 0xFFFFFF);
    EXPECT_EQ(shown.At(70, 60), clean.At(70, 60));
    // Moving on redraws: the old outline is gone.
    model->picCrop_MouseMove(QPointF(25, 200));
    EXPECT_EQ(model->Crop().Image().At(120, 60), clean.At(120, 60));

    model->picCrop_MouseUp(QPointF(25, 200));
    EXPECT_FALSE(model->Cropped()) << "5 pixels wide";
    // 9 x 200 is discarded on release, and the band with it.
    model->picCrop_MouseDown(QPointF(20, 0));
    model->picCrop_MouseMove(QPointF(60, 100));
    model->picCrop_MouseUp(QPointF(29, 200));
    EXPECT_FALSE(model->Dragging());
    EXPECT_FALSE(model->Cropped());
    EXPECT_FALSE(model->ResultShown());
    EXPECT_EQ(model->Crop().Image(), clean);
    // Nothing cropped: End Crop leaves nothing to save.
    model->cmdCrop_Click();
    EXPECT_FALSE(model->CropMode());
    EXPECT_EQ(model->CropCaption(), "Start Crop");
    EXPECT_FALSE(model->SaveEnabled());
}

TEST_F(ResizeModelTest, DraggingEitherWayGivesTheSameCropCutToTheView)
{
    Write("pic.png", Pattern(300, 200));
    ASSERT_TRUE(Open("pic.png"));
    model->cmdCrop_Click();
    model->picCrop_MouseDown(QPointF(40, 30));
    model->picCrop_MouseUp(QPointF(140, 110));
    ASSERT_TRUE(model->Cropped());
    const QRectF forward = model->CropRectangle();
    const Bitmap forwardResult = model->Result().Picture();

    model->picCrop_MouseDown(QPointF(140, 110));
    model->picCrop_MouseMove(QPointF(90, 60));
    model->picCrop_MouseUp(QPointF(40, 30));
    EXPECT_EQ(model->CropRectangle(), forward);
    EXPECT_EQ(model->Result().Picture(), forwardResult);
    EXPECT_EQ(forward, QRectF(40, 30, 100, 80));
    EXPECT_EQ(forwardResult, Block(model->Original().Picture(), QRect(40, 30, 100, 80)));

    // Beyond the view on both sides: cut to it.
    model->picCrop_MouseDown(QPointF(-30, -20));
    model->picCrop_MouseUp(QPointF(500, 90));
    EXPECT_EQ(model->CropRectangle(), QRectF(0, 0, 300, 90));
    EXPECT_EQ(DraggedRectangle(QPointF(5, 5), QPointF(5, 80), QSize(300, 200)), QRect());
}

TEST_F(ResizeModelTest, ACropOnAReducedViewIsCutFromTheOriginalAtFullSize)
{
    Write("big.png", Pattern(1600, 1200));
    ASSERT_TRUE(Open("big.png", QSize(800, 600)));
    const float scale = model->ViewScale();
    ASSERT_GT(scale, 1.0f);
    EXPECT_EQ(model->Crop().Height(), int(std::lround(1200 / scale)));
    EXPECT_LE(model->Layout().window.height(), 600 - 20);
    const Bitmap original = model->Original().Picture();

    model->cmdCrop_Click();
    model->picCrop_MouseDown(QPointF(100, 50));
    model->picCrop_MouseUp(QPointF(250, 170));
    ASSERT_TRUE(model->Cropped());
    model->cmdCrop_Click();  // End Crop applies it

    const QRect expected = CropOnOriginal(QRectF(100, 50, 150, 120), scale, QSize(1600, 1200));
    EXPECT_EQ(expected, QRect(int(std::lround(100 * scale)), int(std::lround(50 * scale)),
                              int(std::lround(250 * scale)) - int(std::lround(100 * scale)),
                              int(std::lround(170 * scale)) - int(std::lround(50 * scale))));
    EXPECT_EQ(model->Original().Picture(), Block(original, expected));
    EXPECT_EQ(model->ViewScale(), 0.0f) << "the crop fits the window";
    EXPECT_FALSE(model->Cropped());
    EXPECT_EQ(model->SliderPosition(), 10);
    EXPECT_EQ(model->SizeText(), QStringLiteral("%1 x %2 pixels").arg(expected.width()).arg(expected.height()));
    // The crop at full size is what a save writes until it is resized.
    EXPECT_TRUE(model->SaveEnabled());
    EXPECT_EQ(model->Result().Picture(), model->Original().Picture());
}

TEST_F(ResizeModelTest, StartingCropAgainWithACropWaitingCutsItFromTheOriginalNotFromTheView)
{
    Write("big.png", Pattern(1600, 1200));
    ASSERT_TRUE(Open("big.png", QSize(800, 600)));
    const float scale = model->ViewScale();
    const Bitmap original = model->Original().Picture();
    model->cmdCrop_Click();
    model->picCrop_MouseDown(QPointF(20, 20));
    model->picCrop_MouseUp(QPointF(220, 170));
    model->Slider1_Change(10);  // crop mode ends; the crop waits for Resize
    ASSERT_TRUE(model->Cropped());
    model->cmdCrop_Click();
    EXPECT_EQ(model->Original().Picture(),
              Block(original, CropOnOriginal(QRectF(20, 20, 200, 150), scale, QSize(1600, 1200))));
    EXPECT_TRUE(model->CropMode());
}

TEST_F(ResizeModelTest, SavingACropNotResizedYetWritesItAtTheOriginalsResolution)
{
    Write("big.png", Pattern(1600, 1200));
    ASSERT_TRUE(Open("big.png", QSize(800, 600)));
    const QRect expected = CropOnOriginal(QRectF(20, 20, 200, 150), model->ViewScale(), QSize(1600, 1200));
    model->cmdCrop_Click();
    model->picCrop_MouseDown(QPointF(20, 20));
    model->picCrop_MouseUp(QPointF(220, 170));
    ui.ExpectSaveFile(Pictures() + "/bigSm.jpg");
    model->cmdSave_Click();
    EXPECT_EQ(QImageReader(Pictures() + "/bigSm.jpg").size(), expected.size());
}

TEST_F(ResizeModelTest, ResizeAsksAboutAWaitingCropAndScalesTheChosenPicture)
{
    Write("pic.png", Pattern(300, 200));
    ASSERT_TRUE(Open("pic.png"));
    model->cmdCrop_Click();
    model->picCrop_MouseDown(QPointF(0, 0));
    model->picCrop_MouseUp(QPointF(100, 100));
    model->Slider1_Change(5);  // ends crop mode; the crop still waits

    ui.ExpectMessage(kPictureChangedText, kPictureChangedTitle, MessageResult::Cancel)
        .WithButtons(MessageButtons::YesNoCancel);
    model->cmdResize_Click();
    EXPECT_TRUE(model->Cropped()) << "Cancel ends the command";

    ui.ExpectMessage(kPictureChangedText, kPictureChangedTitle, MessageResult::No);
    model->cmdResize_Click();
    EXPECT_FALSE(model->Cropped());
    EXPECT_EQ(model->Original().Width(), 300) << "No keeps the original";
    EXPECT_EQ(model->Result().Width(), 150);
    EXPECT_EQ(model->Result().Height(), 100);
    EXPECT_TRUE(model->ResultShown());
    EXPECT_EQ(form.busyDepth, 0);
    EXPECT_EQ(form.progress.back(), form.progressTotal);

    // Yes: the crop becomes the original, then it is resized.
    model->cmdCrop_Click();  // the result becomes the picture worked on
    EXPECT_EQ(model->Original().Width(), 150);
    model->picCrop_MouseDown(QPointF(10, 10));
    model->picCrop_MouseUp(QPointF(110, 70));
    model->Slider1_Change(5);
    ui.ExpectMessage(kPictureChangedText, kPictureChangedTitle, MessageResult::Yes);
    model->cmdResize_Click();
    EXPECT_EQ(model->Original().Width(), 100);
    EXPECT_EQ(model->Result().Width(), 50);
    EXPECT_EQ(model->Result().Height(), 30);
}

TEST_F(ResizeModelTest, ResizingInStripsGivesThePixelsOfOneWholeResize)
{
    Write("pic.png", Pattern(1000, 700));
    ASSERT_TRUE(Open("pic.png"));
    for (int position : {3, 7}) {
        model->Slider1_Change(position);
        model->cmdResize_Click();
        const QSize size = ScaledSize(QSize(1000, 700), position);
        PictureSurface source(1000, 700);
        source.SetPicture(model->Original().Picture());
        PictureSurface whole(size.width(), size.height());
        ASSERT_TRUE(ResizePicture(source, whole, 0, 0, 1000, 700, 0, 0, float(size.width()), float(size.height())));
        EXPECT_EQ(model->Result().Picture(), whole.Picture()) << position;
        EXPECT_GT(form.progressTotal, 1) << "more than one strip";
    }
}

TEST_F(ResizeModelTest, SavingOffersTheNameWithSmAndSelectsTheNewFileInTheList)
{
    Write("sunset.jpg", Pattern(400, 300));
    ASSERT_TRUE(Open("sunset.jpg"));
    app->State().JpegQuality = 93;
    ui.ExpectMessage(kNoPictureToSaveText, kNoPictureToSaveTitle, MessageResult::Ok).WithIcon(MessageIcon::Critical);
    model->cmdSave_Click();
    EXPECT_FALSE(form.closed);

    model->Slider1_Change(5);
    model->cmdResize_Click();
    const QString target = Pictures() + "/sunsetSm.jpg";
    ui.ExpectSaveFile(target);
    model->cmdSave_Click();
    ASSERT_EQ(ui.SaveFileRequests().size(), 1u);
    const SaveFileRequest &request = ui.SaveFileRequests().front();
    EXPECT_EQ(request.fileName, "sunsetSm.jpg");
    EXPECT_EQ(request.title, "Save Resized Wallpaper");
    EXPECT_EQ(request.filter, "Images Files (*.jpg;)|*.jpg");
    EXPECT_EQ(request.initialFolder, Pictures());
    EXPECT_TRUE(request.confirmOverwrite);

    QImageReader written(target);
    EXPECT_EQ(written.format(), "jpeg");
    EXPECT_EQ(written.size(), QSize(200, 150));
    const QStringList &names = app->Library().PictureNames();
    ASSERT_TRUE(names.contains("sunsetSm.jpg"));
    EXPECT_EQ(names.at(app->State().SelectedIndex), "sunsetSm.jpg");
    EXPECT_TRUE(form.closed);
}

TEST_F(ResizeModelTest, AFailedWriteSaysWhyAndKeepsTheWindowOpenAndACancelledDialogWritesNothing)
{
    Write("pic.png", Pattern(100, 100));
    ASSERT_TRUE(Open("pic.png"));
    model->cmdResize_Click();
    ui.ExpectSaveFile(std::nullopt);
    model->cmdSave_Click();
    EXPECT_FALSE(form.closed);

    ui.ExpectSaveFile(QDir::homePath() + "/no/such/folder/picSm.jpg");
    ui.ExpectMessageContaining(kSaveFailedText, MessageResult::Ok).WithIcon(MessageIcon::Exclamation);
    model->cmdSave_Click();
    EXPECT_FALSE(form.closed);
    EXPECT_TRUE(model->Result().HasPicture());
    EXPECT_EQ(app->Library().PictureCount(), 1);
}

TEST_F(ResizeModelTest, RevertAsksFirstAndYesGoesBackToTheOriginal)
{
    Write("pic.png", Pattern(300, 200));
    ASSERT_TRUE(Open("pic.png"));
    model->cmdCrop_Click();
    model->picCrop_MouseDown(QPointF(0, 0));
    model->picCrop_MouseUp(QPointF(100, 100));
    model->cmdCrop_Click();
    ASSERT_EQ(model->Original().Width(), 100);

    ui.ExpectMessage(kRevertText, kRevertTitle, MessageResult::No).WithButtons(MessageButtons::YesNo);
    model->cmdRevert_Click();
    EXPECT_EQ(model->Original().Width(), 100);

    ui.ExpectMessage(kRevertText, kRevertTitle, MessageResult::Yes);
    model->cmdRevert_Click();
    EXPECT_EQ(model->Original().Width(), 300);
    EXPECT_FALSE(model->ResultShown());
    EXPECT_FALSE(model->CropMode());
    EXPECT_EQ(model->SizeText(), "Original Size: 300 x 200");
}

TEST_F(ResizeModelTest, AWidePictureScrollsAndReturnToUpperLeftResetsBothBars)
{
    Write("wide.png", Pattern(3000, 300));
    ASSERT_TRUE(Open("wide.png", QSize(1024, 768)));
    // Only the width is too large: reduced by width, no scroll bars.
    EXPECT_FLOAT_EQ(model->ViewScale(), 3000.0f / (1024 - 20));
    EXPECT_FALSE(model->Layout().hScroll);

    Write("tall.png", Pattern(3000, 1500));
    ASSERT_TRUE(Open("tall.png", QSize(1024, 768)));
    // Reduced by height, still wider than the screen: the horizontal bar shows.
    const ResizeLayout &layout = model->Layout();
    EXPECT_TRUE(layout.hScroll);
    EXPECT_FALSE(layout.vScroll);
    EXPECT_LE(layout.window.width(), 1024);
    model->HScroll_Change(layout.hMax + 50);
    EXPECT_EQ(model->ScrollX(), layout.hMax);
    EXPECT_EQ(model->Crop().Left(), -layout.hMax);
    model->picGoBack_Click();
    EXPECT_EQ(model->ScrollX(), 0);
    EXPECT_EQ(model->Crop().Left(), 0);

    model->imgHelp_Click();
    ASSERT_EQ(help.Requests().size(), 1u);
    EXPECT_EQ(help.Last().keyword, "Resize");
}

}  // namespace
}  // namespace pellimore::test
