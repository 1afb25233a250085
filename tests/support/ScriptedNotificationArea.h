#pragma once

// A notification area that keeps its icons in memory, records every call,
// and sends an icon's window the mouse messages a test scripts.

#include <QMenu>
#include <QPointer>

#include <map>
#include <utility>
#include <vector>

#include "platform/tray/NotificationArea.h"

namespace pellimore::test {

class ScriptedNotificationArea final : public NotificationArea {
public:
    struct Call {
        NotifyIconMessage message;
        NotifyIconData data;
    };

    bool NotifyIcon(NotifyIconMessage message, const NotifyIconData &data) override
    {
        calls_.push_back({message, data});
        const Key key{data.window, data.id};
        const auto icon = icons_.find(key);
        switch (message) {
        case NotifyIconMessage::Add:
            if (icon != icons_.end() || !data.window)
                return false;
            icons_[key] = data;
            return true;
        case NotifyIconMessage::Modify:
            if (icon == icons_.end())
                return false;
            if (data.flags & kNifMessage)
                icon->second.callbackMessage = data.callbackMessage;
            if (data.flags & kNifIcon)
                icon->second.icon = data.icon;
            if (data.flags & kNifTip)
                icon->second.tip = data.tip;
            icon->second.flags |= data.flags;
            return true;
        case NotifyIconMessage::Delete:
            if (icon == icons_.end())
                return false;
            icons_.erase(icon);
            return true;
        }
        return false;
    }

    void SetMenu(NotificationWindow *window, uint32_t id, QMenu *menu) override { menus_[{window, id}] = menu; }

    const std::vector<Call> &Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    size_t IconCount() const { return icons_.size(); }
    // The icon as the notification area shows it now; nullptr when absent.
    const NotifyIconData *Icon(NotificationWindow *window, uint32_t id = 0) const
    {
        const auto icon = icons_.find({window, id});
        return icon == icons_.end() ? nullptr : &icon->second;
    }
    // The only icon, when there is one.
    const NotifyIconData *OnlyIcon() const { return icons_.size() == 1 ? &icons_.begin()->second : nullptr; }
    QMenu *Menu(NotificationWindow *window, uint32_t id = 0) const
    {
        const auto menu = menus_.find({window, id});
        return menu == menus_.end() ? nullptr : menu->second.data();
    }

    // The icon's window gets mouse as a tray reports it; false when the icon
    // is absent or asked for no callback.
    bool Send(uint32_t mouse) const
    {
        const NotifyIconData *icon = OnlyIcon();
        if (!icon || !(icon->flags & kNifMessage))
            return false;
        icon->window->TrayCallback(icon->callbackMessage, icon->id, mouse);
        return true;
    }

private:
    using Key = std::pair<NotificationWindow *, uint32_t>;
    std::vector<Call> calls_;
    std::map<Key, NotifyIconData> icons_;
    std::map<Key, QPointer<QMenu>> menus_;
};

}  // namespace pellimore::test
