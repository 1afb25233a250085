// The Resize and Crop window on a real X server: xdotool presses, moves and
// releases the real pointer over the crop view, and the crop follows. Runs
// through tests/traycontrol/tray-session.sh, which starts a private Xvfb, so
// the pointer moved is never the user's.
#include <QPushButton>
#include <QWindow>

#include "platform/widgets/PictureBox.h"
#include "tests/traycontrol/TrayTools.h"
#include "tests/wallpaper/window/ResizeFixture.h"
#include "wallpaper/forms/frmReSize.h"

namespace pellimore::test {
namespace {

class ResizeDragTest : public ResizeFixture {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("PELLIMORE_X_DISPLAY"))
            GTEST_SKIP() << "no X server: run through tray-session.sh, which starts Xvfb";
        if (!Installed(QStringLiteral("xdotool")))
            GTEST_SKIP() << "xdotool is not installed (scripts/install-deps.sh installs it)";
        ResizeFixture::SetUp();
    }

    static bool Xdotool(const QStringList &arguments) { return RunTool(QStringLiteral("xdotool"), arguments); }
    static QStringList MoveTo(QPoint point)
    {
        return {"mousemove", "--sync", QString::number(point.x()), QString::number(point.y())};
    }
};

TEST_F(ResizeDragTest, ARealDragOverTheViewCropsFromWhereThePointerWentDownToWhereItCameUp)
{
    Write("drag.png", Pattern(600, 400));
    ASSERT_TRUE(Start("drag.png"));
    auto *window = new frmReSize(*app, QSize(1280, 1024));
    ASSERT_TRUE(window->Load());
    window->show();
    ASSERT_TRUE(WaitFor(5000, [window] { return window->windowHandle() && window->windowHandle()->isExposed(); }));
    Pump(300);
    window->findChild<QPushButton *>(QStringLiteral("cmdCrop"))->click();
    auto *view = window->findChild<PictureBox *>(QStringLiteral("picCrop"));
    ASSERT_NE(view, nullptr);

    // From the lower right to the upper left, as a user may drag.
    const QPoint from = view->mapToGlobal(QPoint(250, 200));
    const QPoint through = view->mapToGlobal(QPoint(150, 120));
    const QPoint to = view->mapToGlobal(QPoint(50, 40));
    ASSERT_TRUE(Xdotool(MoveTo(from)));
    Pump(100);
    ASSERT_TRUE(Xdotool({"mousedown", "1"}));
    Pump(100);
    EXPECT_TRUE(WaitFor(2000, [window] { return window->Model().Dragging(); })) << "the press reached the view";
    ASSERT_TRUE(Xdotool(MoveTo(through)));
    Pump(100);
    ASSERT_TRUE(Xdotool(MoveTo(to)));
    Pump(100);
    ASSERT_TRUE(Xdotool({"mouseup", "1"}));
    ASSERT_TRUE(WaitFor(3000, [window] { return window->Model().Cropped(); })) << "no crop after the release";

    EXPECT_EQ(window->Model().CropRectangle(), QRectF(50, 40, 200, 160));
    EXPECT_EQ(window->Model().Result().Width(), 200);
    EXPECT_EQ(window->Model().Result().Height(), 160);
    EXPECT_EQ(window->Model().Result().Picture().At(0, 0), window->Model().Original().Picture().At(50, 40));
    window->close();
}

}  // namespace
}  // namespace pellimore::test
