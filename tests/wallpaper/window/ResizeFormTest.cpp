// The Resize and Crop window's form: its controls, and the handlers reached
// through them (offscreen).
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "platform/widgets/PictureBox.h"
#include "tests/support/ScriptedNotificationArea.h"
#include "tests/wallpaper/window/ResizeFixture.h"
#include "wallpaper/forms/frmReSize.h"
#include "wallpaper/forms/frmWallpaper.h"

namespace pellimore::test {
namespace {

template <typename Widget>
Widget *Control(QWidget &window, const char *name)
{
    auto *widget = window.findChild<Widget *>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

class ResizeFormTest : public ResizeFixture {};

TEST_F(ResizeFormTest, TheWindowShowsEveryControlWithItsCaptionAndTip)
{
    Write("sunset.png", Pattern(320, 240));
    ASSERT_TRUE(Start("sunset.png"));
    auto *window = new frmReSize(*app, QSize(1280, 1024));
    ASSERT_TRUE(window->Load());
    window->show();
    EXPECT_EQ(window->windowTitle(), "sunset.png - Resize Picture");
    EXPECT_EQ(Control<QSlider>(*window, "Slider1")->maximum(), 10);
    EXPECT_EQ(Control<QSlider>(*window, "Slider1")->value(), 10);
    EXPECT_EQ(Control<QSlider>(*window, "Slider1")->toolTip(), "Move the slider, then click Resize");
    EXPECT_EQ(Control<QLineEdit>(*window, "txtScale")->text(), "100");
    EXPECT_EQ(Control<QLabel>(*window, "lblScale")->text(), "percent of original");
    EXPECT_EQ(Control<QLabel>(*window, "lblSize")->text(), "Original Size: 320 x 240");
    EXPECT_EQ(Control<QLabel>(*window, "lblSize")->toolTip(),
              "Move the Slider to the left to choose a new size, then click Resize");
    EXPECT_TRUE(Control<QLabel>(*window, "lblRes")->text().startsWith("Desktop: "));
    EXPECT_EQ(Control<QPushButton>(*window, "cmdCrop")->text(), "Start Crop");
    EXPECT_EQ(Control<QPushButton>(*window, "cmdCrop")->toolTip(), "Drag your mouse across the area you want to keep");
    EXPECT_EQ(Control<QPushButton>(*window, "picGoBack")->text(), "Return to Upper Left Corner");
    for (const char *name : {"cmdResize", "cmdRevert", "cmdSave", "cmdCancel"})
        EXPECT_NE(Control<QPushButton>(*window, name), nullptr);
    EXPECT_FALSE(Control<QPushButton>(*window, "cmdSave")->isEnabled());
    EXPECT_NE(Control<QToolButton>(*window, "imgHelp"), nullptr);
    EXPECT_NE(Control<PictureBox>(*window, "picCrop"), nullptr);
    EXPECT_FALSE(Control<PictureBox>(*window, "picResult")->isVisible());
    EXPECT_FALSE(Control<QScrollBar>(*window, "HScroll")->isVisible());

    // Start Crop turns the button red and the cursor into a cross.
    auto *crop = Control<QPushButton>(*window, "cmdCrop");
    crop->click();
    EXPECT_EQ(crop->text(), "End Crop");
    EXPECT_EQ(crop->palette().color(QPalette::Button), QColor(Qt::red));
    EXPECT_EQ(Control<PictureBox>(*window, "picCrop")->cursor().shape(), Qt::CrossCursor);

    // A drag with the mouse over the view crops.
    auto *view = Control<PictureBox>(*window, "picCrop");
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(30, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(130, 100), view->mapToGlobal(QPointF(130, 100)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(130, 100));
    EXPECT_TRUE(window->Model().Cropped());
    EXPECT_EQ(window->Model().CropRectangle(), QRectF(30, 20, 100, 80));
    EXPECT_FALSE(Control<PictureBox>(*window, "picResult")->isVisible()) << "crop mode keeps the view";

    // The slider ends crop mode: the crop waiting for Resize takes the frame.
    Control<QSlider>(*window, "Slider1")->setValue(5);
    EXPECT_EQ(Control<QLineEdit>(*window, "txtScale")->text(), "50");
    EXPECT_EQ(crop->text(), "Start Crop");
    EXPECT_TRUE(Control<PictureBox>(*window, "picResult")->isVisible());
    EXPECT_FALSE(view->isVisible());
    ui.ExpectMessage(kPictureChangedText, kPictureChangedTitle, MessageResult::Yes);
    Control<QPushButton>(*window, "cmdResize")->click();
    EXPECT_EQ(window->Model().Result().Width(), 50);
    EXPECT_TRUE(Control<QPushButton>(*window, "cmdSave")->isEnabled());

    bool closed = false;
    QObject::connect(window, &frmReSize::Closed, [&closed] { closed = true; });
    ui.ExpectSaveFile(Pictures() + "/sunsetSm.jpg");
    Control<QPushButton>(*window, "cmdSave")->click();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(QFile::exists(Pictures() + "/sunsetSm.jpg"));
}

TEST_F(ResizeFormTest, ABigPictureOpensReducedAndResizesWithTheBusyCursorGoneAfterwards)
{
    Write("big.png", Pattern(3000, 2000));
    ASSERT_TRUE(Start("big.png"));
    auto *window = new frmReSize(*app, QSize(1280, 800));
    ASSERT_TRUE(window->Load());
    window->show();
    EXPECT_GT(window->Model().ViewScale(), 1.0f);
    EXPECT_LE(window->Model().Crop().Height(), 800);
    Control<QSlider>(*window, "Slider1")->setValue(9);
    Control<QPushButton>(*window, "cmdResize")->click();
    EXPECT_EQ(window->Model().Result().Width(), 2700);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(window->findChild<QWidget *>(QStringLiteral("progress")), nullptr) << "progress closes at the end";
    Control<QPushButton>(*window, "cmdCancel")->click();
    EXPECT_FALSE(QFile::exists(Pictures() + "/bigSm.jpg"));
}

TEST_F(ResizeFormTest, AResultTallerThanTheFrameScrollsWithTheBars)
{
    Write("tall.png", Pattern(640, 576));
    ASSERT_TRUE(Start("tall.png"));
    auto *window = new frmReSize(*app, QSize(512, 384));
    ASSERT_TRUE(window->Load());
    window->show();
    Control<QSlider>(*window, "Slider1")->setValue(5);
    Control<QPushButton>(*window, "cmdResize")->click();
    const ResizeLayout &layout = window->Model().Layout();
    EXPECT_EQ(layout.frame.height(), 200);
    EXPECT_TRUE(layout.vScroll);
    EXPECT_EQ(layout.vMax, 288 - 200);
    auto *bar = Control<QScrollBar>(*window, "VScroll");
    EXPECT_TRUE(bar->isVisible());
    bar->setValue(50);
    EXPECT_EQ(Control<PictureBox>(*window, "picResult")->y(), -50);
    Control<QPushButton>(*window, "picGoBack")->click();
    EXPECT_EQ(bar->value(), 0);
    window->close();
}

TEST_F(ResizeFormTest, TheSettingsWindowHidesWhileItIsOpenAndRefusesAPictureItCannotOpen)
{
    Write("good.png", Pattern(200, 150));
    Write("spoilt.png", Pattern(200, 150));
    ASSERT_TRUE(Start("good.png"));
    ScriptedNotificationArea area;
    frmWallpaper main(*app, area);
    main.show();
    MainWindowModel &model = main.Model();
    model.FileList_Click(int(model.PictureNames().indexOf("good.png")));
    model.cmdReSize_Click();
    frmReSize *resize = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *found = qobject_cast<frmReSize *>(top); found && found->isVisible())
            resize = found;
    ASSERT_NE(resize, nullptr);
    EXPECT_EQ(resize->windowTitle(), "good.png - Resize Picture");
    EXPECT_FALSE(main.isVisible());
    Control<QPushButton>(*resize, "cmdCancel")->click();
    EXPECT_TRUE(main.isVisible());

    // Shown in the list a moment ago, spoilt on disk since.
    model.FileList_Click(int(model.PictureNames().indexOf("spoilt.png")));
    QFile spoilt(Pictures() + "/spoilt.png");
    ASSERT_TRUE(spoilt.open(QIODevice::WriteOnly | QIODevice::Truncate));
    spoilt.write("no longer a picture");
    spoilt.close();
    // The PNG decoder tells what it found; the settings window then says it cannot resize.
    ui.ExpectMessage("This is not a valid PNG file", MessageResult::Ok);
    ui.ExpectMessage(kUnableToResizeText, kUnableToResizeTitle, MessageResult::Ok).WithIcon(MessageIcon::Exclamation);
    model.cmdReSize_Click();
    EXPECT_TRUE(main.isVisible());
}

}  // namespace
}  // namespace pellimore::test
