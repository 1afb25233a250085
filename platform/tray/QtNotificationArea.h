#pragma once

#include <QObject>
#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QSystemTrayIcon>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/tray/NotificationArea.h"

class QDBusServiceWatcher;
class QTimer;

namespace pellimore {

// The notification area through QSystemTrayIcon. Qt shows an icon either as
// a StatusNotifierItem over D-Bus (KDE Plasma, XFCE, GNOME with the
// AppIndicator extension, Cinnamon, waybar) or, on X11, docked into an
// XEmbed tray (_NET_SYSTEM_TRAY_S<n>; trayer, tint2, xfce4-panel, MATE, ...).
//
// Qt asks the session bus whether a StatusNotifierItem host is registered
// once per process, when the first QSystemTrayIcon is made, and keeps the
// answer. At log-in the panel may start after us, so the first icon is not
// made until the host has registered with org.kde.StatusNotifierWatcher or
// the wait has run out (or at once when there is no session bus). Until
// then the icons' state is kept here. After a run-out Qt docks into an
// XEmbed tray that appears later by itself.
//
// What the desktop delivers, as the shell's mouse messages:
//   Trigger (left click; StatusNotifierItem Activate)  -> 513, 514
//   DoubleClick (XEmbed trays only)                    -> 515
//   Context (right click on XEmbed; ContextMenu)       -> 516, 517
//   MiddleClick (SecondaryActivate)                    -> nothing
// No Linux tray reports mouse moves (512), a press apart from its release
// (513 and 514, 516 and 517 come together when the click is over, or at the
// press on XEmbed), a right double click (518) or the middle button
// (519-521): Qt's activations carry none of them.
class QtNotificationArea final : public QObject, public NotificationArea {
    Q_OBJECT

public:
    // Where the icons went. Waiting: no QSystemTrayIcon made yet.
    enum class Host { Waiting, StatusNotifierItem, QtChoice };

    static constexpr int kDefaultHostWaitMs = 10000;

    // hostWaitMs: how long the first icon waits for a StatusNotifierItem host.
    explicit QtNotificationArea(int hostWaitMs = kDefaultHostWaitMs, QObject *parent = nullptr);
    ~QtNotificationArea() override;

    bool NotifyIcon(NotifyIconMessage message, const NotifyIconData &data) override;
    void SetMenu(NotificationWindow *window, uint32_t id, QMenu *menu) override;

    Host CurrentHost() const { return host_; }
    // The icon's place on the screen; only XEmbed trays tell it (empty
    // otherwise, and while the icon is not docked).
    QRect IconGeometry(NotificationWindow *window, uint32_t id) const;
    // The shell's mouse messages one of Qt's activations stands for.
    static std::vector<uint32_t> MessagesFor(QSystemTrayIcon::ActivationReason reason);

signals:
    // The wait is over; icons are shown from now on.
    void HostChosen(Host host);

private slots:
    void AskHost();

private:
    struct Icon;
    using Key = std::pair<NotificationWindow *, uint32_t>;

    Icon *Find(const Key &key) const;
    void StartWaiting();
    void Choose(bool statusNotifierHost);
    bool HostRegisteredNow(int timeoutMs) const;
    void MakeTray(Icon &icon);
    void ShowState(Icon &icon);
    void Deliver(const Key &key, QSystemTrayIcon::ActivationReason reason);

    int hostWaitMs_;
    Host host_ = Host::Waiting;
    bool waiting_ = false;
    std::vector<std::unique_ptr<Icon>> icons_;
    std::map<Key, QPointer<QMenu>> menus_;
    QTimer *deadline_ = nullptr;
    QTimer *poll_ = nullptr;
    QDBusServiceWatcher *watcher_ = nullptr;
};

}  // namespace pellimore
