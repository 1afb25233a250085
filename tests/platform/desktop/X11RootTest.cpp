// The root-window sequence on a real X server (Xvfb, PELLIMORE_X_DISPLAY).
#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include "platform/desktop/X11Root.h"
#include "platform/desktop/SystemDesktop.h"
#include "platform/desktop/X11RootBackend.h"

namespace pellimore {
namespace {

QString TestDisplay()
{
    return qEnvironmentVariable("PELLIMORE_X_DISPLAY");
}

#define REQUIRE_X()                                                           \
    if (TestDisplay().isEmpty())                                              \
    GTEST_SKIP() << "PELLIMORE_X_DISPLAY is not set (scripts/test.sh starts Xvfb)"

// True when the id still names a drawable on the server.
bool DrawableExists(const QString &display, uint32_t id)
{
    xcb_connection_t *c = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    xcb_get_geometry_reply_t *reply = xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr);
    const bool exists = reply != nullptr;
    std::free(reply);
    xcb_disconnect(c);
    return exists;
}

uint32_t PublishedPixmap(const QString &display, const char *atomName)
{
    xcb_connection_t *c = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(std::strlen(atomName)), atomName), nullptr);
    uint32_t value = 0;
    if (atom) {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, screen->root, atom->atom, XCB_ATOM_PIXMAP, 0, 1), nullptr);
        if (reply && xcb_get_property_value_length(reply) == 4)
            std::memcpy(&value, xcb_get_property_value(reply), 4);
        std::free(reply);
    }
    std::free(atom);
    xcb_disconnect(c);
    return value;
}

TEST(X11Root, PublishesTheImageAndFreesThePreviousPixmapOnce)
{
    REQUIRE_X();
    const std::optional<X11ScreenInfo> screen = ReadX11Screen(TestDisplay());
    ASSERT_TRUE(screen.has_value());
    Bitmap first(screen->size.width(), screen->size.height(), 24);
    first.Fill(MakePixel(10, 20, 30));
    first.Set(3, 2, MakePixel(255, 0, 0));
    ASSERT_TRUE(SetRootImage(TestDisplay(), first).Ok());
    const uint32_t firstPixmap = PublishedPixmap(TestDisplay(), "_XROOTPMAP_ID");
    EXPECT_EQ(PublishedPixmap(TestDisplay(), "ESETROOT_PMAP_ID"), firstPixmap);
    ASSERT_TRUE(DrawableExists(TestDisplay(), firstPixmap)) << "kept after we disconnected";
    const std::optional<Bitmap> readBack = ReadRootPixmap(TestDisplay());
    ASSERT_TRUE(readBack.has_value());
    EXPECT_EQ(readBack->Width(), first.Width());
    EXPECT_EQ(readBack->At(3, 2), MakePixel(255, 0, 0));
    EXPECT_EQ(readBack->At(0, 0), MakePixel(10, 20, 30));
    EXPECT_EQ(readBack->At(first.Width() - 1, first.Height() - 1), MakePixel(10, 20, 30));

    Bitmap second(screen->size.width(), screen->size.height(), 24);
    second.Fill(MakePixel(1, 2, 3));
    ASSERT_TRUE(SetRootImage(TestDisplay(), second).Ok());
    const uint32_t secondPixmap = PublishedPixmap(TestDisplay(), "_XROOTPMAP_ID");
    EXPECT_NE(secondPixmap, firstPixmap);
    EXPECT_FALSE(DrawableExists(TestDisplay(), firstPixmap)) << "the previous pixmap is freed";
    EXPECT_TRUE(DrawableExists(TestDisplay(), secondPixmap));
    EXPECT_EQ(ReadRootPixmap(TestDisplay())->At(100, 100), MakePixel(1, 2, 3));
}

TEST(X11Root, APixmapAskedForAheadBecomesTheRootOrIsLetGo)
{
    REQUIRE_X();
    const std::optional<X11ScreenInfo> screen = ReadX11Screen(TestDisplay());
    ASSERT_TRUE(screen.has_value());
    const QSize size = screen->size;
    const auto paint = [](Pixel colour) {
        return [colour](Bitmap &strip, int y) {
            strip.Fill(colour);
            if (y == 0)
                strip.Set(5, 0, MakePixel(0, 255, 0));
        };
    };

    // Taken: the strips land in the pixmap asked for ahead, which is published.
    ASSERT_TRUE(SetRootImage(TestDisplay(), size, paint(MakePixel(40, 50, 60))).Ok());
    const uint32_t before = PublishedPixmap(TestDisplay(), "_XROOTPMAP_ID");
    ASSERT_TRUE(SetRootImage(TestDisplay(), size, paint(MakePixel(70, 80, 90)), ReserveRootPixmap(TestDisplay())).Ok());
    const uint32_t reserved = PublishedPixmap(TestDisplay(), "_XROOTPMAP_ID");
    EXPECT_NE(reserved, before);
    EXPECT_FALSE(DrawableExists(TestDisplay(), before));
    std::optional<Bitmap> root = ReadRootPixmap(TestDisplay());
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(root->At(5, 0), MakePixel(0, 255, 0));
    EXPECT_EQ(root->At(size.width() - 1, size.height() - 1), MakePixel(70, 80, 90));

    // Let go unused: nothing changes on the server and nothing is left behind.
    {
        ReservedRootPixmap unused = ReserveRootPixmap(TestDisplay());
        ASSERT_TRUE(unused);
    }
    EXPECT_EQ(PublishedPixmap(TestDisplay(), "_XROOTPMAP_ID"), reserved);
    EXPECT_TRUE(DrawableExists(TestDisplay(), reserved));

    // One of another display is not used; the image is still set.
    ASSERT_TRUE(SetRootImage(TestDisplay(), size, paint(MakePixel(1, 1, 1)), ReserveRootPixmap(QStringLiteral(":12345")))
                    .Ok());
    EXPECT_EQ(ReadRootPixmap(TestDisplay())->At(9, 9), MakePixel(1, 1, 1));
}

TEST(X11Root, RefusesAnImageOfTheWrongSize)
{
    REQUIRE_X();
    EXPECT_FALSE(SetRootImage(TestDisplay(), Bitmap(3, 3)).Ok());
    EXPECT_FALSE(SetRootImage(QStringLiteral(":12345"), Bitmap(3, 3)).Ok());
}

TEST(X11RootBackend, LaysTheFileOutOverTheColour)
{
    REQUIRE_X();
    QTemporaryDir dir;
    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(QColor(200, 100, 50));
    const QString path = dir.filePath(QStringLiteral("w.bmp"));
    ASSERT_TRUE(picture.save(path, "BMP"));
    X11RootBackend backend(TestDisplay());
    ASSERT_TRUE(backend.Apply({path, WallpaperStyle::Centered, Rgb(0, 0, 255)}).Ok());
    const std::optional<X11ScreenInfo> screen = ReadX11Screen(TestDisplay());
    const std::optional<Bitmap> root = ReadRootPixmap(TestDisplay());
    ASSERT_TRUE(root.has_value());
    const QRect area = screen->monitors.empty() ? QRect(QPoint(0, 0), screen->size) : screen->monitors.front();
    const QPoint centre(area.x() + (area.width() - 8) / 2, area.y() + (area.height() - 6) / 2);
    EXPECT_EQ(root->At(centre.x(), centre.y()), MakePixel(200, 100, 50));
    EXPECT_EQ(root->At(centre.x() - 1, centre.y()), MakePixel(0, 0, 255));
    EXPECT_EQ(backend.PrimaryScreenSize(), screen->primary.size());

    EXPECT_FALSE(backend.Apply({dir.filePath(QStringLiteral("none.bmp")), WallpaperStyle::Tiled, 0}).Ok());
}

// The desktop drawn from the pixels does not wait for the file, which the
// changer writes meanwhile; without pixels the file must be there.
TEST(X11RootBackend, ShowsPixelsHandedOverBeforeTheFileExists)
{
    REQUIRE_X();
    QTemporaryDir dir;
    SystemDesktop desktop(std::make_unique<X11RootBackend>(TestDisplay()), Rgb(0, 0, 255), dir.filePath("cache"));
    EXPECT_TRUE(desktop.ShowsPixelsWithoutFile());
    const std::optional<X11ScreenInfo> screen = ReadX11Screen(TestDisplay());
    ASSERT_TRUE(screen.has_value());
    Bitmap pixels(screen->size.width(), screen->size.height(), 24);
    pixels.Fill(MakePixel(10, 200, 30));
    const QString path = dir.filePath(QStringLiteral("not yet.bmp"));
    const DesktopResult shown = desktop.SetWallpaperPixels(path, WallpaperStyle::Centered, pixels);
    ASSERT_TRUE(shown.Ok()) << shown.error.toStdString();
    const std::optional<Bitmap> root = ReadRootPixmap(TestDisplay());
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(root->At(0, 0), MakePixel(10, 200, 30));
    EXPECT_EQ(root->At(root->Width() - 1, root->Height() - 1), MakePixel(10, 200, 30));

    const DesktopResult fromFile = desktop.SetWallpaper(path, WallpaperStyle::Centered);
    EXPECT_FALSE(fromFile.Ok());
    EXPECT_TRUE(fromFile.error.contains(QStringLiteral("does not exist"))) << fromFile.error.toStdString();
}

TEST(X11Root, FindsAProgramThatDrawsTheDesktop)
{
    REQUIRE_X();
    EXPECT_FALSE(FindDesktopWindow(TestDisplay()).has_value());
    xcb_connection_t *c = xcb_connect(TestDisplay().toLocal8Bit().constData(), nullptr);
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, 0, nullptr);
    auto atom = [c](const char *name) {
        xcb_intern_atom_reply_t *reply =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t value = reply->atom;
        std::free(reply);
        return value;
    };
    const xcb_atom_t desktopType = atom("_NET_WM_WINDOW_TYPE_DESKTOP");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1,
                        &desktopType);
    const char wmClass[] = "xfdesktop\0Xfdesktop";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, sizeof wmClass,
                        wmClass);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    EXPECT_EQ(FindDesktopWindow(TestDisplay()), QStringLiteral("Xfdesktop"));
    xcb_destroy_window(c, window);
    xcb_disconnect(c);
    EXPECT_FALSE(FindDesktopWindow(TestDisplay()).has_value());
}

}  // namespace
}  // namespace pellimore
