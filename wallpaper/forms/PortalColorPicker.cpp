#include "wallpaper/forms/PortalColorPicker.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>

#include <algorithm>
#include <cmath>

namespace pellimore {

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
// The first version of the Screenshot portal with PickColor.
constexpr uint kPickColorVersion = 2;
constexpr int kQueryTimeoutMs = 1000;

uint8_t Channel(double value)
{
    if (!std::isfinite(value))
        return 0;
    return uint8_t(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

}  // namespace

ColorRef PortalColorToRef(double red, double green, double blue)
{
    return Rgb(Channel(red), Channel(green), Channel(blue));
}

PortalColorPicker::PortalColorPicker(QObject *parent) : PortalColorPicker(QDBusConnection::sessionBus(), parent) {}

PortalColorPicker::PortalColorPicker(const QDBusConnection &bus, QObject *parent) : QObject(parent), bus_(bus) {}

PortalColorPicker::~PortalColorPicker() = default;

bool PortalColorPicker::Available() const
{
    if (!bus_.isConnected())
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(kPortalService, kPortalPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << kScreenshotInterface << QStringLiteral("version");
    const QDBusReply<QDBusVariant> reply = bus_.call(get, QDBus::Block, kQueryTimeoutMs);
    return reply.isValid() && reply.value().variant().toUInt() >= kPickColorVersion;
}

bool PortalColorPicker::Pick(const QString &parentWindow)
{
    if (!bus_.isConnected())
        return false;
    // The request's path is known before the call, so the answer cannot be
    // missed: subscribe first.
    const QString token = QStringLiteral("pellimore_pick%1").arg(++requests_);
    QString sender = bus_.baseService();
    sender.remove(0, sender.startsWith(QLatin1Char(':')) ? 1 : 0).replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString path = kPortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    if (!pendingPath_.isEmpty())
        bus_.disconnect(kPortalService, pendingPath_, kRequestInterface, QStringLiteral("Response"), this,
                        SLOT(Response(uint, QVariantMap)));
    pendingPath_ = path;
    if (!bus_.connect(kPortalService, path, kRequestInterface, QStringLiteral("Response"), this,
                      SLOT(Response(uint, QVariantMap))))
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kPortalService, kPortalPath, kScreenshotInterface, QStringLiteral("PickColor"));
    call << parentWindow << QVariantMap{{QStringLiteral("handle_token"), token}};
    const QDBusMessage reply = bus_.call(call, QDBus::Block, kQueryTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void PortalColorPicker::Response(uint response, const QVariantMap &results)
{
    bus_.disconnect(kPortalService, pendingPath_, kRequestInterface, QStringLiteral("Response"), this,
                    SLOT(Response(uint, QVariantMap)));
    pendingPath_.clear();
    const QVariant color = results.value(QStringLiteral("color"));
    if (response != 0 || !color.canConvert<QDBusArgument>()) {
        emit Cancelled();
        return;
    }
    // "color" is (ddd): red, green and blue from 0 to 1.
    const QDBusArgument argument = color.value<QDBusArgument>();
    double rgb[3] = {0, 0, 0};
    argument.beginStructure();
    argument >> rgb[0] >> rgb[1] >> rgb[2];
    argument.endStructure();
    emit Picked(PortalColorToRef(rgb[0], rgb[1], rgb[2]));
}

}  // namespace pellimore
