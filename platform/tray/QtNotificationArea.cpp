#include "platform/tray/QtNotificationArea.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QMenu>
#include <QTimer>

#include <algorithm>

namespace pellimore {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kWatcherInterface = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kHostProperty = QStringLiteral("IsStatusNotifierHostRegistered");
// While waiting, the host is asked again this often, in case a watcher does
// not announce its host.
constexpr int kPollMs = 500;

QDBusMessage HostQuestion()
{
    QDBusMessage call = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath,
                                                       QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       QStringLiteral("Get"));
    call << kWatcherInterface << kHostProperty;
    return call;
}

bool SaysRegistered(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

}  // namespace

struct QtNotificationArea::Icon {
    Key key;
    uint32_t flags = 0;
    uint32_t callbackMessage = 0;
    QIcon icon;
    QString tip;
    std::unique_ptr<QSystemTrayIcon> tray;

    void Take(const NotifyIconData &data)
    {
        flags |= data.flags;
        if (data.flags & kNifMessage)
            callbackMessage = data.callbackMessage;
        if (data.flags & kNifIcon)
            icon = data.icon;
        if (data.flags & kNifTip)
            tip = CutTrayTip(data.tip);
    }
};

QtNotificationArea::QtNotificationArea(int hostWaitMs, QObject *parent)
    : QObject(parent), hostWaitMs_(std::max(0, hostWaitMs))
{
}

QtNotificationArea::~QtNotificationArea() = default;

QtNotificationArea::Icon *QtNotificationArea::Find(const Key &key) const
{
    for (const auto &icon : icons_)
        if (icon->key == key)
            return icon.get();
    return nullptr;
}

bool QtNotificationArea::NotifyIcon(NotifyIconMessage message, const NotifyIconData &data)
{
    const Key key{data.window, data.id};
    Icon *icon = Find(key);
    switch (message) {
    case NotifyIconMessage::Add: {
        if (icon || !data.window)
            return false;
        auto added = std::make_unique<Icon>();
        added->key = key;
        added->Take(data);
        icon = added.get();
        icons_.push_back(std::move(added));
        if (host_ == Host::Waiting)
            StartWaiting();
        else
            MakeTray(*icon);
        return true;
    }
    case NotifyIconMessage::Modify:
        if (!icon)
            return false;
        icon->Take(data);
        ShowState(*icon);
        return true;
    case NotifyIconMessage::Delete: {
        if (!icon)
            return false;
        // The icon may be removed from inside its own activation signal.
        if (icon->tray) {
            icon->tray->hide();
            icon->tray.release()->deleteLater();
        }
        icons_.erase(std::find_if(icons_.begin(), icons_.end(), [&](const auto &i) { return i.get() == icon; }));
        return true;
    }
    }
    return false;
}

void QtNotificationArea::SetMenu(NotificationWindow *window, uint32_t id, QMenu *menu)
{
    const Key key{window, id};
    if (menu)
        menus_[key] = menu;
    else
        menus_.erase(key);
    if (Icon *icon = Find(key))
        ShowState(*icon);
}

QRect QtNotificationArea::IconGeometry(NotificationWindow *window, uint32_t id) const
{
    const Icon *icon = Find({window, id});
    return icon && icon->tray ? icon->tray->geometry() : QRect();
}

std::vector<uint32_t> QtNotificationArea::MessagesFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return {TrayMouse::kLeftDown, TrayMouse::kLeftUp};
    case QSystemTrayIcon::DoubleClick:
        return {TrayMouse::kLeftDoubleClick};
    case QSystemTrayIcon::Context:
        return {TrayMouse::kRightDown, TrayMouse::kRightUp};
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        break;
    }
    return {};
}

void QtNotificationArea::StartWaiting()
{
    if (waiting_)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || hostWaitMs_ == 0) {
        Choose(bus.isConnected() && HostRegisteredNow(1000));
        return;
    }
    waiting_ = true;
    deadline_ = new QTimer(this);
    deadline_->setSingleShot(true);
    connect(deadline_, &QTimer::timeout, this, [this] { Choose(HostRegisteredNow(1000)); });
    deadline_->start(hostWaitMs_);
    poll_ = new QTimer(this);
    connect(poll_, &QTimer::timeout, this, &QtNotificationArea::AskHost);
    poll_->start(kPollMs);
    watcher_ = new QDBusServiceWatcher(kWatcherService, bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this, &QtNotificationArea::AskHost);
    bus.connect(kWatcherService, kWatcherPath, kWatcherInterface, QStringLiteral("StatusNotifierHostRegistered"),
                this, SLOT(AskHost()));
    AskHost();
}

void QtNotificationArea::AskHost()
{
    if (host_ != Host::Waiting)
        return;
    auto *pending = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(HostQuestion()), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        if (host_ == Host::Waiting && SaysRegistered(call->reply()))
            Choose(true);
    });
}

bool QtNotificationArea::HostRegisteredNow(int timeoutMs) const
{
    return SaysRegistered(QDBusConnection::sessionBus().call(HostQuestion(), QDBus::Block, timeoutMs));
}

void QtNotificationArea::Choose(bool statusNotifierHost)
{
    if (host_ != Host::Waiting)
        return;
    host_ = statusNotifierHost ? Host::StatusNotifierItem : Host::QtChoice;
    waiting_ = false;
    delete deadline_;
    deadline_ = nullptr;
    delete poll_;
    poll_ = nullptr;
    delete watcher_;
    watcher_ = nullptr;
    QDBusConnection::sessionBus().disconnect(kWatcherService, kWatcherPath, kWatcherInterface,
                                             QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(AskHost()));
    for (const auto &icon : icons_)
        MakeTray(*icon);
    emit HostChosen(host_);
}

void QtNotificationArea::MakeTray(Icon &icon)
{
    icon.tray = std::make_unique<QSystemTrayIcon>();
    const Key key = icon.key;
    connect(icon.tray.get(), &QSystemTrayIcon::activated, this,
            [this, key](QSystemTrayIcon::ActivationReason reason) { Deliver(key, reason); });
    ShowState(icon);
}

void QtNotificationArea::ShowState(Icon &icon)
{
    if (!icon.tray)
        return;
    QSystemTrayIcon &tray = *icon.tray;
    if (tray.toolTip() != icon.tip)
        tray.setToolTip(icon.tip);
    if (!icon.icon.isNull())
        tray.setIcon(icon.icon);
    // A StatusNotifierItem host shows the menu itself and may never report
    // a right click. An XEmbed tray reports it, and the owner pops its menu
    // then; Qt would pop a menu set here as well.
    if (host_ == Host::StatusNotifierItem) {
        const auto menu = menus_.find(icon.key);
        QMenu *wanted = menu != menus_.end() ? menu->second.data() : nullptr;
        if (tray.contextMenu() != wanted)
            tray.setContextMenu(wanted);
    }
    // Qt shows no icon without a picture.
    if (!icon.icon.isNull() && !tray.isVisible())
        tray.show();
}

void QtNotificationArea::Deliver(const Key &key, QSystemTrayIcon::ActivationReason reason)
{
    for (uint32_t mouse : MessagesFor(reason)) {
        // Looked up for each message: the window may remove the icon on the first.
        const Icon *icon = Find(key);
        if (!icon || !(icon->flags & kNifMessage))
            return;
        key.first->TrayCallback(icon->callbackMessage, key.second, mouse);
    }
}

}  // namespace pellimore
