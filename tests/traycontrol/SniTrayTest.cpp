// The tray control with a StatusNotifierItem host on a private session bus:
// the watcher is Debian's status-notifier-watcher, the test registers as the
// host and plays the panel's part over D-Bus. Runs through
// tray-session.sh --dbus.
#include <gtest/gtest.h>

#include <QAction>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QMenu>

#include <memory>

#include "platform/tray/QtNotificationArea.h"
#include "tests/support/QtPrinters.h"
#include "tests/traycontrol/NoticonFixture.h"
#include "tests/traycontrol/TrayTools.h"
#include "traycontrol/NoticonLibrary.h"

namespace pellimore {
namespace {

using namespace test;

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");

QDBusConnection Bus() { return QDBusConnection::sessionBus(); }

// A call answered while our own event loop runs (the item lives in this process).
QDBusMessage Call(const QString &service, const QString &path, const QString &interface, const QString &method,
                  const QVariantList &arguments = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    QDBusPendingCall pending = Bus().asyncCall(call, 5000);
    WaitFor(6000, [&] { return pending.isFinished(); });
    return pending.reply();
}

QVariant Property(const QString &service, const QString &path, const QString &interface, const QString &name)
{
    const QDBusMessage reply = Call(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                    QStringLiteral("Get"), {interface, name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return QVariant();
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

// The title of a ToolTip (s, a(iiay), s, s).
QString ToolTipTitle(const QVariant &toolTip)
{
    const QDBusArgument arg = toolTip.value<QDBusArgument>();
    QString iconName, title, text;
    arg.beginStructure();
    arg >> iconName;
    arg.beginArray();
    while (!arg.atEnd()) {
        int width = 0, height = 0;
        QByteArray pixels;
        arg.beginStructure();
        arg >> width >> height >> pixels;
        arg.endStructure();
    }
    arg.endArray();
    arg >> title >> text;
    arg.endStructure();
    return title;
}

// The labels and ids of a dbusmenu layout's direct children, (ia{sv}av).
QList<std::pair<int, QString>> MenuItems(const QDBusArgument &layout)
{
    QList<std::pair<int, QString>> items;
    int id = 0;
    QVariantMap properties;
    layout.beginStructure();
    layout >> id >> properties;
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant child;
        layout >> child;
        const QDBusArgument item = child.variant().value<QDBusArgument>();
        int childId = 0;
        QVariantMap childProperties;
        item.beginStructure();
        item >> childId >> childProperties;
        item.endStructure();
        items.append({childId, childProperties.value(QStringLiteral("label")).toString()});
    }
    layout.endArray();
    layout.endStructure();
    return items;
}

// The item as the watcher lists it: service and object path.
struct ItemAddress {
    QString service;
    QString path = QStringLiteral("/StatusNotifierItem");
};

std::optional<ItemAddress> RegisteredItem()
{
    const QStringList items =
        Property(kWatcher, QStringLiteral("/StatusNotifierWatcher"), kWatcher, QStringLiteral("RegisteredStatusNotifierItems"))
            .toStringList();
    if (items.size() != 1)
        return std::nullopt;
    ItemAddress address;
    const qsizetype slash = items[0].indexOf(QLatin1Char('/'));
    address.service = slash < 0 ? items[0] : items[0].left(slash);
    if (slash >= 0)
        address.path = items[0].mid(slash);
    return address;
}

// Everything lives for the whole suite: Qt decides once per process whether
// a StatusNotifierItem host exists.
struct Session {
    Background watcher;
    QtNotificationArea area{20000};
    NoticonLibrary library{area};
    RecordingSite site;
    QMenu menu;
    QAction *settings = nullptr;
    QAction *next = nullptr;
    int nextTriggered = 0;
    std::unique_ptr<cNoticon> control;
    std::unique_ptr<EventLog> log;
    ItemAddress item;
};

class SniTray : public testing::Test {
protected:
    static void TearDownTestSuite()
    {
        delete session;
        session = nullptr;
    }
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("PELLIMORE_X_DISPLAY"))
            GTEST_SKIP() << "no X server: run through tray-session.sh --dbus, which starts Xvfb";
        if (!Bus().isConnected())
            GTEST_SKIP() << "no session bus: run through tray-session.sh --dbus (dbus-run-session)";
        if (!Installed(QStringLiteral("status-notifier-watcher")))
            GTEST_SKIP() << "status-notifier-watcher is not installed (scripts/install-deps.sh installs it)";
    }
    // The item of the first test, registered with the host.
    Session &Registered()
    {
        if (!session || session->item.service.isEmpty())
            ADD_FAILURE() << "the item never registered";
        return *session;
    }
    static inline Session *session = nullptr;
};

TEST_F(SniTray, TheIconWaitsForTheHostThenRegistersAsAnItemWithItsTip)
{
    session = new Session;
    Session &s = *session;
    s.settings = s.menu.addAction(QStringLiteral("Settings"));
    s.next = s.menu.addAction(QStringLiteral("Next Wallpaper"));
    QObject::connect(s.next, &QAction::triggered, [&s] { ++s.nextTriggered; });
    s.control = std::make_unique<cNoticon>(s.library, s.site);
    s.control->InitProperties();
    s.log = std::make_unique<EventLog>(*s.control);
    s.control->SetTrayIcon(TrayPicture::FromIcon(PlainIcon(Qt::blue)));
    s.control->SetTrayTip(QStringLiteral("Wallpaper Pellimore"));
    s.control->SetTrayMenu(&s.menu);
    s.control->SetInTray(true);

    // The panel is not up yet: no icon is made, so Qt cannot settle on "no host".
    Pump(800);
    EXPECT_EQ(s.area.CurrentHost(), QtNotificationArea::Host::Waiting);
    ASSERT_TRUE(s.watcher.Start(QStringLiteral("status-notifier-watcher"), {}));
    ASSERT_TRUE(WaitFor(5000, [] { return Bus().interface()->isServiceRegistered(kWatcher).value(); }));
    Pump(800);
    EXPECT_EQ(s.area.CurrentHost(), QtNotificationArea::Host::Waiting) << "a watcher without a host is no tray";

    const QDBusMessage host = Call(kWatcher, QStringLiteral("/StatusNotifierWatcher"), kWatcher,
                                   QStringLiteral("RegisterStatusNotifierHost"), {Bus().baseService()});
    ASSERT_EQ(host.type(), QDBusMessage::ReplyMessage) << host.errorMessage().toStdString();
    ASSERT_TRUE(WaitFor(5000, [&] { return s.area.CurrentHost() != QtNotificationArea::Host::Waiting; }));
    EXPECT_EQ(s.area.CurrentHost(), QtNotificationArea::Host::StatusNotifierItem);

    std::optional<ItemAddress> item;
    ASSERT_TRUE(WaitFor(5000, [&] { return (item = RegisteredItem()).has_value(); })) << "no item registered";
    s.item = *item;
    EXPECT_EQ(ToolTipTitle(Property(s.item.service, s.item.path, kItemInterface, QStringLiteral("ToolTip"))),
              QStringLiteral("Wallpaper Pellimore"));

    s.control->SetTrayTip(QStringLiteral("Next change at noon"));
    EXPECT_TRUE(WaitFor(3000, [&] {
        return ToolTipTitle(Property(s.item.service, s.item.path, kItemInterface, QStringLiteral("ToolTip")))
               == QStringLiteral("Next change at noon");
    }));
}

TEST_F(SniTray, TheHostsActivationsRaiseTheMouseEvents)
{
    Session &s = Registered();
    s.log->events.clear();
    Call(s.item.service, s.item.path, kItemInterface, QStringLiteral("Activate"), {5, 5});
    EXPECT_TRUE(WaitFor(3000, [&] { return s.log->events.size() >= 2; }));
    EXPECT_EQ(s.log->events, (QStringList{"MouseDown 1 0", "MouseUp 1 0"}));

    // A host that shows no menu itself asks for the application's.
    s.log->events.clear();
    Call(s.item.service, s.item.path, kItemInterface, QStringLiteral("ContextMenu"), {5, 5});
    EXPECT_TRUE(WaitFor(3000, [&] { return s.log->events.size() >= 2; }));
    EXPECT_EQ(s.log->events, (QStringList{"MouseDown 2 0", "MouseUp 2 0"}));

    // The middle button raises nothing.
    s.log->events.clear();
    Call(s.item.service, s.item.path, kItemInterface, QStringLiteral("SecondaryActivate"), {5, 5});
    Pump(300);
    EXPECT_TRUE(s.log->events.isEmpty());
}

TEST_F(SniTray, TheHostShowsTheApplicationsMenuAndItsItemsWork)
{
    Session &s = Registered();
    const QString menuPath =
        Property(s.item.service, s.item.path, kItemInterface, QStringLiteral("Menu")).value<QDBusObjectPath>().path();
    ASSERT_EQ(menuPath, QStringLiteral("/MenuBar"));

    const QDBusMessage layout = Call(s.item.service, menuPath, kMenuInterface, QStringLiteral("GetLayout"),
                                     {0, -1, QStringList()});
    ASSERT_EQ(layout.type(), QDBusMessage::ReplyMessage) << layout.errorMessage().toStdString();
    ASSERT_EQ(layout.arguments().size(), 2);
    const auto items = MenuItems(layout.arguments().at(1).value<QDBusArgument>());
    QStringList labels;
    for (const auto &item : items)
        labels << item.second;
    EXPECT_EQ(labels, (QStringList{"Settings", "Next Wallpaper"}));

    ASSERT_EQ(items.size(), 2);
    Call(s.item.service, menuPath, kMenuInterface, QStringLiteral("AboutToShow"), {0});
    Call(s.item.service, menuPath, kMenuInterface, QStringLiteral("Event"),
         {items[1].first, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
    EXPECT_TRUE(WaitFor(3000, [&] { return s.nextTriggered == 1; }));
}

TEST_F(SniTray, LeavingTheTrayTakesTheItemOffTheBus)
{
    Session &s = Registered();
    ASSERT_TRUE(Bus().interface()->isServiceRegistered(s.item.service).value());
    s.control->SetInTray(false);
    EXPECT_TRUE(WaitFor(5000, [&] { return !Bus().interface()->isServiceRegistered(s.item.service).value(); }));
    EXPECT_TRUE(WaitFor(5000, [] { return !RegisteredItem().has_value(); }));
}

}  // namespace
}  // namespace pellimore
