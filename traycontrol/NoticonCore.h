#pragma once

#include <QMenu>
#include <QPointer>
#include <QString>

#include <cstdint>

#include "platform/tray/NotificationArea.h"
#include "traycontrol/TrayPicture.h"



namespace pellimore {

class ControlSite;
class NoticonLibrary;
class PropertyBag;

// The events the tray control raises to its host.
class NoticonEvents {
public:
    virtual void RaiseMouseDown(int16_t Button, int32_t Id) = 0;
    virtual void RaiseMouseUp(int16_t Button, int32_t Id) = 0;
    virtual void RaiseMouseMove(int32_t Id) = 0;
    virtual void RaiseMouseDblClick(int16_t Button, int32_t Id) = 0;

protected:
    ~NoticonEvents() = default;
};

// The tray control without its widget: the properties, the icon in the
// notification area, and the callback messages turned into events.
class NoticonCore final : public NotificationWindow {
public:
    // The message the notification area sends the icon's mouse messages in.
    static constexpr uint32_t kCallbackMessage = 1125;
    // The tip of a new control.
    static constexpr const char *kDefaultTip = "Noticon: an icon in the notification area";
    // Names in the property bag, in the order they are read.
    static constexpr const char *kInTray = "InTray";
    static constexpr const char *kTrayIcon = "TrayIcon";
    static constexpr const char *kTrayTip = "TrayTip";
    // Our own property beside those: the host's pop-up menu (not saved).
    static constexpr const char *kTrayMenu = "TrayMenu";

    // The library, site and events must outlive the control.
    NoticonCore(NoticonLibrary &library, ControlSite &site, NoticonEvents &events);
    ~NoticonCore();
    NoticonCore(const NoticonCore &) = delete;
    NoticonCore &operator=(const NoticonCore &) = delete;

    // A newly placed control: not in the tray, the default tip, the control's
    // own picture.
    void InitProperties();
    // Sets InTray, TrayIcon and TrayTip from the bag in this order, so a
    // stored InTray adds the icon before the icon and tip are applied.
    void ReadProperties(const PropertyBag &bag);
    void WriteProperties(PropertyBag &bag) const;

    bool InTray() const { return inTray_; }
    // True adds the icon (only while the host runs, and only when no other
    // control of the process is in the tray); false removes it.
    void SetInTray(bool value);
    const TrayPicture &TrayIcon() const { return trayIcon_; }
    // Only an icon is taken; anything else, or an empty picture, is ignored.
    void SetTrayIcon(const TrayPicture &picture);
    const QString &TrayTip() const { return trayTip_; }
    void SetTrayTip(const QString &tip);
    // The host's pop-up menu, handed to notification areas that show it
    // themselves. The host still pops it on MouseDown with Button 2 where
    // the notification area reports right clicks.
    QMenu *TrayMenu() const { return trayMenu_; }
    void SetTrayMenu(QMenu *menu);

    // True while the icon is really in the notification area.
    bool IconAdded() const { return iconAdded_; }
    // The icon id towards the notification area.
    uint32_t IconId() const { return iconId_; }

    // Ends the control: the icon leaves the notification area.
    void Terminate();

    void TrayCallback(uint32_t message, uint32_t wParam, uint32_t lParam) override;

private:
    NotifyIconData Record(uint32_t flags);
    void AddIcon();
    void RemoveIcon();

    NoticonLibrary &library_;
    ControlSite &site_;
    NoticonEvents &events_;
    bool inTray_ = false;
    bool iconAdded_ = false;
    const uint32_t iconId_ = 0;
    TrayPicture trayIcon_;
    QString trayTip_;
    QPointer<QMenu> trayMenu_;
};

}  // namespace pellimore
