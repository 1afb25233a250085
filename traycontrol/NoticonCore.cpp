#include "traycontrol/NoticonCore.h"

#include <QMenu>

#include "traycontrol/ControlSite.h"
#include "traycontrol/NoticonLibrary.h"
#include "traycontrol/PropertyBag.h"

namespace pellimore {

NoticonCore::NoticonCore(NoticonLibrary &library, ControlSite &site, NoticonEvents &events)
    : library_(library), site_(site), events_(events)
{
}

NoticonCore::~NoticonCore() { Terminate(); }

void NoticonCore::InitProperties()
{
    SetInTray(false);
    SetTrayTip(QString::fromLatin1(kDefaultTip));
    SetTrayIcon(TrayPicture::DesignPicture());
}

void NoticonCore::ReadProperties(const PropertyBag &bag)
{
    SetInTray(bag.ReadProperty(QString::fromLatin1(kInTray), false).toBool());
    const QVariant icon = bag.ReadProperty(QString::fromLatin1(kTrayIcon));
    SetTrayIcon(icon.canConvert<QIcon>() ? TrayPicture::FromIcon(icon.value<QIcon>()) : TrayPicture::DesignPicture());
    SetTrayTip(bag.ReadProperty(QString::fromLatin1(kTrayTip), QString::fromLatin1(kDefaultTip)).toString());
}

void NoticonCore::WriteProperties(PropertyBag &bag) const
{
    bag.WriteProperty(QString::fromLatin1(kInTray), inTray_);
    bag.WriteProperty(QString::fromLatin1(kTrayIcon), QVariant::fromValue(trayIcon_.Icon()));
    bag.WriteProperty(QString::fromLatin1(kTrayTip), trayTip_);
}

void NoticonCore::SetInTray(bool value)
{
    if (value == inTray_)
        return;
    if (value && site_.UserMode() && library_.ClaimTray(this))
        AddIcon();
    else if (!value)
        RemoveIcon();
    inTray_ = value;
    site_.PropertyChanged(QString::fromLatin1(kInTray));
}

void NoticonCore::SetTrayIcon(const TrayPicture &picture)
{
    if (picture.PictureType() != TrayPicture::kIcon)
        return;
    trayIcon_ = picture;
    if (iconAdded_)
        library_.Area().NotifyIcon(NotifyIconMessage::Modify, Record(kNifIcon));
    site_.PropertyChanged(QString::fromLatin1(kTrayIcon));
}

void NoticonCore::SetTrayTip(const QString &tip)
{
    trayTip_ = tip;
    if (iconAdded_)
        library_.Area().NotifyIcon(NotifyIconMessage::Modify, Record(kNifTip));
    site_.PropertyChanged(QString::fromLatin1(kTrayTip));
}

void NoticonCore::SetTrayMenu(QMenu *menu)
{
    if (menu == trayMenu_)
        return;
    trayMenu_ = menu;
    library_.Area().SetMenu(this, iconId_, menu);
}

void NoticonCore::Terminate()
{
    // The host is going away: the icon goes without telling it.
    RemoveIcon();
    if (trayMenu_) {
        trayMenu_ = nullptr;
        library_.Area().SetMenu(this, iconId_, nullptr);
    }
}

NotifyIconData NoticonCore::Record(uint32_t flags)
{
    NotifyIconData data;
    data.window = this;
    data.id = iconId_;
    data.flags = flags;
    data.callbackMessage = kCallbackMessage;
    if (flags & kNifIcon)
        data.icon = trayIcon_.Icon();
    if (flags & kNifTip)
        data.tip = CutTrayTip(trayTip_);
    return data;
}

void NoticonCore::AddIcon()
{
    uint32_t flags = kNifMessage;
    if (!trayIcon_.IsEmpty())
        flags |= kNifIcon;
    if (!trayTip_.isEmpty())
        flags |= kNifTip;
    // As with the shell, the result is not checked: an area that has no tray
    // yet shows the icon once one appears.
    library_.Area().NotifyIcon(NotifyIconMessage::Add, Record(flags));
    iconAdded_ = true;
}

void NoticonCore::RemoveIcon()
{
    if (!iconAdded_)
        return;
    library_.Area().NotifyIcon(NotifyIconMessage::Delete, Record(0));
    library_.ReleaseTray(this);
    iconAdded_ = false;
}

void NoticonCore::TrayCallback(uint32_t message, uint32_t wParam, uint32_t lParam)
{
    if (message != kCallbackMessage)
        return;
    const auto id = static_cast<int32_t>(wParam);
    switch (lParam) {
    case TrayMouse::kMove:
        events_.RaiseMouseMove(id);
        break;
    case TrayMouse::kLeftDown:
        events_.RaiseMouseDown(1, id);
        break;
    case TrayMouse::kLeftUp:
        events_.RaiseMouseUp(1, id);
        break;
    case TrayMouse::kLeftDoubleClick:
        events_.RaiseMouseDblClick(1, id);
        break;
    case TrayMouse::kRightDown:
        events_.RaiseMouseDown(2, id);
        break;
    case TrayMouse::kRightUp:
        events_.RaiseMouseUp(2, id);
        break;
    case TrayMouse::kRightDoubleClick:
        events_.RaiseMouseDblClick(2, id);
        break;
    default:  // the middle button and anything else
        break;
    }
}

}  // namespace pellimore
