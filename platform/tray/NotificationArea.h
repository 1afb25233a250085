#pragma once

// The notification area of the task bar as the tray control sees it: icons
// are added, changed and removed with a record like the shell's, and the
// mouse on an icon comes back to the icon's window as the shell's mouse
// messages inside a callback message.

#include <QIcon>
#include <QString>

#include <cstdint>

class QMenu;

namespace pellimore {

// The shell's mouse messages, carried in a callback's lParam.
namespace TrayMouse {
constexpr uint32_t kMove = 512;
constexpr uint32_t kLeftDown = 513;
constexpr uint32_t kLeftUp = 514;
constexpr uint32_t kLeftDoubleClick = 515;
constexpr uint32_t kRightDown = 516;
constexpr uint32_t kRightUp = 517;
constexpr uint32_t kRightDoubleClick = 518;
constexpr uint32_t kMiddleDown = 519;
constexpr uint32_t kMiddleUp = 520;
constexpr uint32_t kMiddleDoubleClick = 521;
}  // namespace TrayMouse

enum class NotifyIconMessage { Add = 0, Modify = 1, Delete = 2 };

// Which fields of a NotifyIconData a call sets.
constexpr uint32_t kNifMessage = 1;
constexpr uint32_t kNifIcon = 2;
constexpr uint32_t kNifTip = 4;

// The longest tip the notification area takes, in characters.
constexpr int kTrayTipLength = 64;

// A tip cut to what the notification area takes (a surrogate pair is never split).
inline QString CutTrayTip(const QString &tip)
{
    if (tip.size() <= kTrayTipLength)
        return tip;
    QString cut = tip.left(kTrayTipLength);
    if (cut.back().isHighSurrogate())
        cut.chop(1);
    return cut;
}

// The window that owns an icon: it receives the icon's callback messages
// (message = the icon's callback message, wParam = the icon id, lParam = one
// of the TrayMouse messages), on the user-interface thread.
class NotificationWindow {
public:
    virtual void TrayCallback(uint32_t message, uint32_t wParam, uint32_t lParam) = 0;

protected:
    ~NotificationWindow() = default;
};

// One call's record. An icon is named by its window and id.
struct NotifyIconData {
    NotificationWindow *window = nullptr;
    uint32_t id = 0;
    uint32_t flags = 0;            // kNifMessage | kNifIcon | kNifTip: the fields below that count
    uint32_t callbackMessage = 0;  // kNifMessage
    QIcon icon;                    // kNifIcon
    QString tip;                   // kNifTip, at most kTrayTipLength characters
};

class NotificationArea {
public:
    virtual ~NotificationArea() = default;

    // Add: a new icon with the fields the flags name (false when the icon
    // exists already); Modify: changes those fields of an existing icon;
    // Delete: removes it. False when the icon is unknown.
    virtual bool NotifyIcon(NotifyIconMessage message, const NotifyIconData &data) = 0;

    // The pop-up menu of an icon (nullptr: none). Notification areas that
    // show an application's menu themselves (StatusNotifierItem hosts) show
    // this one; on the others the owner pops its menu on a right-button
    // message. Kept for an icon added later, too. The menu must outlive its
    // use here or be set back to nullptr.
    virtual void SetMenu(NotificationWindow *window, uint32_t id, QMenu *menu) = 0;
};

}  // namespace pellimore
