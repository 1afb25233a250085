// The tray control through a scripted notification area: properties, the
// icon's life, the callback messages and the control on a form.
#include <gtest/gtest.h>

#include <QImage>
#include <QMenu>
#include <QTemporaryDir>

#include <memory>

#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedNotificationArea.h"
#include "tests/traycontrol/NoticonFixture.h"
#include "traycontrol/NoticonLibrary.h"
#include "traycontrol/PropertyBag.h"

namespace pellimore {
namespace {

using test::EventLog;
using test::PlainIcon;
using test::RecordingSite;
using test::ScriptedNotificationArea;

QRgb CentrePixel(const QIcon &icon) { return icon.pixmap(32, 32).toImage().pixel(16, 16); }

class NoticonTest : public testing::Test {
protected:
    std::unique_ptr<cNoticon> NewControl(RecordingSite &site)
    {
        auto control = std::make_unique<cNoticon>(library_, site);
        control->InitProperties();
        site.changed.clear();
        area_.ClearCalls();
        return control;
    }
    int Adds() const { return Count(NotifyIconMessage::Add); }
    int Count(NotifyIconMessage message) const
    {
        int n = 0;
        for (const auto &call : area_.Calls())
            n += call.message == message ? 1 : 0;
        return n;
    }

    ScriptedNotificationArea area_;
    NoticonLibrary library_{area_};
    RecordingSite site_;
};

TEST_F(NoticonTest, InTrayAddsTheIconOnceAndRemovesItWithTheCallbackTheIconAndTheTip)
{
    auto control = NewControl(site_);
    control->SetInTray(true);
    control->SetInTray(true);
    EXPECT_EQ(Adds(), 1);
    ASSERT_EQ(area_.IconCount(), 1u);
    const NotifyIconData &icon = *area_.OnlyIcon();
    EXPECT_EQ(icon.flags, kNifMessage | kNifIcon | kNifTip);
    EXPECT_EQ(icon.callbackMessage, 1125u);
    EXPECT_EQ(icon.id, 0u);
    EXPECT_EQ(icon.tip, QString::fromLatin1(NoticonCore::kDefaultTip));
    EXPECT_FALSE(icon.icon.isNull());
    EXPECT_TRUE(control->InTray());
    EXPECT_TRUE(control->IconAdded());
    EXPECT_EQ(site_.changed, QStringList{QStringLiteral("InTray")});

    control->SetInTray(false);
    EXPECT_EQ(area_.IconCount(), 0u);
    EXPECT_EQ(Count(NotifyIconMessage::Delete), 1);
    EXPECT_FALSE(control->InTray());
    EXPECT_FALSE(control->IconAdded());
    control->SetInTray(false);
    EXPECT_EQ(Count(NotifyIconMessage::Delete), 1);
}

TEST_F(NoticonTest, WhileTheFormIsDesignedInTrayIsStoredButNoIconAppears)
{
    RecordingSite designer(false);
    auto control = NewControl(designer);
    control->SetInTray(true);
    EXPECT_TRUE(control->InTray());
    EXPECT_FALSE(control->IconAdded());
    EXPECT_TRUE(area_.Calls().empty());
    EXPECT_EQ(designer.changed, QStringList{QStringLiteral("InTray")});
    control->SetTrayTip(QStringLiteral("changed"));
    control->SetInTray(false);
    EXPECT_TRUE(area_.Calls().empty());
}

TEST_F(NoticonTest, OnlyAnIconIsTakenAsTrayIcon)
{
    auto control = NewControl(site_);
    control->SetInTray(true);
    area_.ClearCalls();
    site_.changed.clear();

    control->SetTrayIcon(TrayPicture::FromIcon(PlainIcon(Qt::red)));
    ASSERT_EQ(area_.Calls().size(), 1u);
    EXPECT_EQ(area_.Calls()[0].message, NotifyIconMessage::Modify);
    EXPECT_EQ(area_.Calls()[0].data.flags, kNifIcon);
    EXPECT_EQ(CentrePixel(area_.OnlyIcon()->icon), qRgb(255, 0, 0));
    EXPECT_EQ(site_.changed, QStringList{QStringLiteral("TrayIcon")});

    QImage bitmap(32, 32, QImage::Format_RGB32);
    bitmap.fill(Qt::green);
    control->SetTrayIcon(TrayPicture::FromBitmap(bitmap));
    control->SetTrayIcon(TrayPicture());
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("green.png"));
    ASSERT_TRUE(bitmap.save(png));
    EXPECT_EQ(TrayPicture::Load(png).PictureType(), TrayPicture::kBitmap);
    control->SetTrayIcon(TrayPicture::Load(png));
    EXPECT_EQ(area_.Calls().size(), 1u);
    EXPECT_EQ(site_.changed.size(), 1);
    EXPECT_EQ(control->TrayIcon().PictureType(), TrayPicture::kIcon);
    EXPECT_EQ(CentrePixel(area_.OnlyIcon()->icon), qRgb(255, 0, 0));

    // An .ico file is an icon.
    const QString ico = dir.filePath(QStringLiteral("blue.ico"));
    bitmap.fill(Qt::blue);
    ASSERT_TRUE(bitmap.save(ico, "ICO"));
    control->SetTrayIcon(TrayPicture::Load(ico));
    EXPECT_EQ(CentrePixel(area_.OnlyIcon()->icon), qRgb(0, 0, 255));
}

TEST_F(NoticonTest, TheTipIsCutTo64CharactersAndChangesAtOnceInTheTray)
{
    auto control = NewControl(site_);
    const QString seventy = QString(60, QLatin1Char('a')) + QStringLiteral("0123456789");
    control->SetTrayTip(seventy);
    EXPECT_TRUE(area_.Calls().empty());  // not in the tray yet
    control->SetInTray(true);
    EXPECT_EQ(area_.OnlyIcon()->tip, seventy.left(64));
    EXPECT_EQ(control->TrayTip(), seventy);

    area_.ClearCalls();
    control->SetTrayTip(QStringLiteral("Wallpaper Pellimore"));
    ASSERT_EQ(area_.Calls().size(), 1u);
    EXPECT_EQ(area_.Calls()[0].message, NotifyIconMessage::Modify);
    EXPECT_EQ(area_.Calls()[0].data.flags, kNifTip);
    EXPECT_EQ(area_.OnlyIcon()->tip, QStringLiteral("Wallpaper Pellimore"));

    // A character outside the basic plane is not split at the cut.
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    control->SetTrayTip(QString(63, QLatin1Char('b')) + smile);
    EXPECT_EQ(area_.OnlyIcon()->tip, QString(63, QLatin1Char('b')));
}

TEST_F(NoticonTest, MouseMessagesBecomeTheEventsOfTheirButton)
{
    auto control = NewControl(site_);
    EventLog log(*control);
    control->SetInTray(true);
    for (uint32_t mouse = 512; mouse <= 521; ++mouse)
        ASSERT_TRUE(area_.Send(mouse));
    EXPECT_EQ(log.events, (QStringList{"MouseMove 0", "MouseDown 1 0", "MouseUp 1 0", "MouseDblClick 1 0",
                                       "MouseDown 2 0", "MouseUp 2 0", "MouseDblClick 2 0"}));

    // Only the callback message counts.
    log.events.clear();
    control->Core().TrayCallback(1124, 0, TrayMouse::kRightUp);
    control->Core().TrayCallback(1125, 7, TrayMouse::kRightUp);
    EXPECT_EQ(log.events, QStringList{"MouseUp 2 7"});
}

TEST_F(NoticonTest, EndingTheControlRemovesItsIconAndMenu)
{
    auto control = NewControl(site_);
    QMenu menu;
    control->SetTrayMenu(&menu);
    control->SetInTray(true);
    NotificationWindow *window = &control->Core();
    EXPECT_EQ(area_.Menu(window), &menu);
    control.reset();
    EXPECT_EQ(area_.IconCount(), 0u);
    EXPECT_EQ(area_.Menu(window), nullptr);
}

TEST_F(NoticonTest, OneControlOfAProcessIsInTheTrayAtATime)
{
    auto first = NewControl(site_);
    RecordingSite secondSite;
    auto second = NewControl(secondSite);
    first->SetInTray(true);
    second->SetInTray(true);
    EXPECT_TRUE(second->InTray());
    EXPECT_FALSE(second->IconAdded());
    EXPECT_EQ(area_.IconCount(), 1u);

    first->SetInTray(false);
    second->SetInTray(false);
    second->SetInTray(true);
    EXPECT_TRUE(second->IconAdded());
    EXPECT_EQ(area_.Icon(&second->Core()) != nullptr, true);
}

TEST_F(NoticonTest, ThePropertyBagKeepsInTrayIconAndTipAndReadsThemInOrder)
{
    // A bag with nothing in it gives the defaults of a new control.
    auto fresh = std::make_unique<cNoticon>(library_, site_);
    fresh->ReadProperties(PropertyBag());
    EXPECT_FALSE(fresh->InTray());
    EXPECT_EQ(fresh->TrayTip(), QString::fromLatin1(NoticonCore::kDefaultTip));
    EXPECT_EQ(CentrePixel(fresh->TrayIcon().Icon()), CentrePixel(TrayPicture::DesignPicture().Icon()));
    EXPECT_TRUE(area_.Calls().empty());

    PropertyBag defaults;
    fresh->WriteProperties(defaults);
    EXPECT_FALSE(defaults.ReadProperty(QStringLiteral("InTray")).toBool());
    EXPECT_EQ(defaults.ReadProperty(QStringLiteral("TrayTip")).toString(), QString::fromLatin1(NoticonCore::kDefaultTip));

    RecordingSite designer(false);
    auto saved = NewControl(designer);
    saved->SetInTray(true);
    saved->SetTrayIcon(TrayPicture::FromIcon(PlainIcon(Qt::magenta)));
    saved->SetTrayTip(QStringLiteral("Saved tip"));
    PropertyBag bag;
    saved->WriteProperties(bag);
    const auto restored = PropertyBag::FromBytes(bag.ToBytes());
    ASSERT_TRUE(restored);
    EXPECT_FALSE(PropertyBag::FromBytes(QByteArray("not a bag")));

    fresh.reset();
    site_.changed.clear();
    auto loaded = std::make_unique<cNoticon>(library_, site_);
    loaded->ReadProperties(*restored);
    EXPECT_TRUE(loaded->InTray());
    EXPECT_EQ(loaded->TrayTip(), QStringLiteral("Saved tip"));
    EXPECT_EQ(CentrePixel(loaded->TrayIcon().Icon()), qRgb(255, 0, 255));
    // InTray first: the icon is added bare, then the icon and the tip follow.
    ASSERT_EQ(area_.Calls().size(), 3u);
    EXPECT_EQ(area_.Calls()[0].message, NotifyIconMessage::Add);
    EXPECT_EQ(area_.Calls()[0].data.flags, kNifMessage);
    EXPECT_EQ(area_.Calls()[1].data.flags, kNifIcon);
    EXPECT_EQ(area_.Calls()[2].data.flags, kNifTip);
    EXPECT_EQ(area_.OnlyIcon()->tip, QStringLiteral("Saved tip"));
    EXPECT_EQ(CentrePixel(area_.OnlyIcon()->icon), qRgb(255, 0, 255));
    EXPECT_EQ(site_.changed, (QStringList{"InTray", "TrayIcon", "TrayTip"}));
}

TEST_F(NoticonTest, OnAFormTheControlIsA34PixelTileWithARaisedSoftEdgeOverItsIcon)
{
    RecordingSite designer(false);
    QWidget form;
    cNoticon control(library_, designer, &form);
    control.InitProperties();
    control.SetTrayIcon(TrayPicture::FromIcon(PlainIcon(Qt::red)));
    control.resize(100, 20);
    EXPECT_EQ(control.size(), QSize(34, 34));
    form.show();
    EXPECT_TRUE(control.isVisible());

    const QImage tile = control.grab().toImage();
    ASSERT_EQ(tile.size(), QSize(34, 34));
    const QPalette palette = control.palette();
    EXPECT_EQ(tile.pixel(0, 0), palette.color(QPalette::Light).rgb());
    EXPECT_EQ(tile.pixel(10, 0), palette.color(QPalette::Light).rgb());
    EXPECT_EQ(tile.pixel(0, 10), palette.color(QPalette::Light).rgb());
    EXPECT_EQ(tile.pixel(33, 33), palette.color(QPalette::Shadow).rgb());
    EXPECT_EQ(tile.pixel(33, 0), palette.color(QPalette::Shadow).rgb());
    EXPECT_EQ(tile.pixel(0, 33), palette.color(QPalette::Shadow).rgb());
    EXPECT_EQ(tile.pixel(16, 16), qRgb(255, 0, 0));

    // A running form shows the icon in the tray, not the control.
    RecordingSite running(true);
    cNoticon hidden(library_, running, &form);
    EXPECT_FALSE(hidden.isVisible());
}

}  // namespace
}  // namespace pellimore
