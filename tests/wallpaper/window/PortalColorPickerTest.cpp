// The portal colour picker against a stand-in portal on a private D-Bus
// daemon: the version check, the request, and the answer by signal.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <atomic>
#include <cmath>
#include <memory>

#include "wallpaper/forms/PortalColorPicker.h"

namespace pellimore::test {
namespace {

// The desktop portal's Screenshot interface as far as the picker uses it.
// It answers on its own thread, as a real portal answers from its process.
class FakePortal final : public QDBusVirtualObject {
public:
    FakePortal(QDBusConnection bus, uint version, uint response) : bus_(bus), version_(version), response_(response) {}

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.member() == QLatin1String("Get")) {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(version_))));
            return true;
        }
        if (message.member() != QLatin1String("PickColor"))
            return false;
        ++picks;
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().at(1));
        QString sender = message.service().mid(1).replace('.', '_');
        const QString path = "/org/freedesktop/portal/desktop/request/" + sender + "/" +
                             options.value("handle_token").toString();
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(path))));
        QDBusArgument color;
        color.beginStructure();
        color << 0.0 << 0.5 << 1.0;
        color.endStructure();
        QDBusMessage answer = QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
        answer << response_ << QVariantMap{{"color", QVariant::fromValue(color)}};
        bus_.send(answer);
        return true;
    }

    std::atomic<int> picks{0};

private:
    QDBusConnection bus_;
    uint version_;
    uint response_;
};

class PortalColorPickerTest : public testing::Test {
protected:
    void SetUp() override
    {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        bus_.start(daemon, {"--session", "--nofork", "--print-address"});
        ASSERT_TRUE(bus_.waitForReadyRead(10000));
        address_ = QString::fromLatin1(bus_.readLine()).trimmed();
        ASSERT_FALSE(address_.isEmpty());
        thread_.start();
    }
    void TearDown() override
    {
        thread_.quit();
        thread_.wait();
        QDBusConnection::disconnectFromBus("portal");
        QDBusConnection::disconnectFromBus("client");
        if (bus_.state() != QProcess::NotRunning) {
            bus_.kill();
            bus_.waitForFinished();
        }
    }
    // Serves a stand-in portal on the private bus.
    FakePortal &Serve(uint version, uint response)
    {
        QDBusConnection portal = QDBusConnection::connectToBus(address_, "portal");
        EXPECT_TRUE(portal.isConnected());
        fake_ = std::make_unique<FakePortal>(portal, version, response);
        fake_->moveToThread(&thread_);
        EXPECT_TRUE(portal.registerVirtualObject("/org/freedesktop/portal/desktop", fake_.get()));
        EXPECT_TRUE(portal.registerService("org.freedesktop.portal.Desktop"));
        return *fake_;
    }
    QDBusConnection Client() { return QDBusConnection::connectToBus(address_, "client"); }

    QProcess bus_;
    QString address_;
    QThread thread_;
    std::unique_ptr<FakePortal> fake_;
};

template <typename Done>
bool WaitFor(Done done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST_F(PortalColorPickerTest, AskedColourArrivesBySignalAsAColourReference)
{
    FakePortal &portal = Serve(2, 0);
    PortalColorPicker picker(Client());
    ASSERT_TRUE(picker.Available());
    std::optional<ColorRef> picked;
    bool cancelled = false;
    QObject::connect(&picker, &PortalColorPicker::Picked, [&](ColorRef color) { picked = color; });
    QObject::connect(&picker, &PortalColorPicker::Cancelled, [&] { cancelled = true; });
    ASSERT_TRUE(picker.Pick());
    ASSERT_TRUE(WaitFor([&] { return picked.has_value() || cancelled; }));
    EXPECT_EQ(portal.picks.load(), 1);
    EXPECT_EQ(picked, std::optional<ColorRef>(Rgb(0, 128, 255)));
}

TEST_F(PortalColorPickerTest, ACancelledPickGivesNoColour)
{
    Serve(2, 1);
    PortalColorPicker picker(Client());
    bool cancelled = false;
    QObject::connect(&picker, &PortalColorPicker::Cancelled, [&] { cancelled = true; });
    ASSERT_TRUE(picker.Pick());
    EXPECT_TRUE(WaitFor([&] { return cancelled; }));
}

TEST_F(PortalColorPickerTest, APortalWithoutPickColorOrNoPortalIsUnavailable)
{
    {
        PortalColorPicker nobody(Client());
        EXPECT_FALSE(nobody.Available());
    }
    Serve(1, 0);
    PortalColorPicker picker(Client());
    EXPECT_FALSE(picker.Available()) << "version 1 has no PickColor";
}

TEST(PortalColor, ChannelsFromZeroToOneAreRoundedAndClamped)
{
    EXPECT_EQ(PortalColorToRef(1.0, 0.0, 0.5), Rgb(255, 0, 128));
    EXPECT_EQ(PortalColorToRef(-0.5, 2.0, std::nan("")), Rgb(0, 255, 0));
}

}  // namespace
}  // namespace pellimore::test
