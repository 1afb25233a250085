#pragma once

namespace pellimore {

class NotificationArea;

// What the tray controls of one process share: the notification area, and
// the one place in it. At most one control of a process has its icon in the
// notification area at a time; another control that asks keeps its InTray
// value but shows nothing.
class NoticonLibrary {
public:
    explicit NoticonLibrary(NotificationArea &area) : area_(area) {}
    NoticonLibrary(const NoticonLibrary &) = delete;
    NoticonLibrary &operator=(const NoticonLibrary &) = delete;

    NotificationArea &Area() { return area_; }

    // True when owner now holds the place (or held it already).
    bool ClaimTray(const void *owner)
    {
        if (trayOwner_ && trayOwner_ != owner)
            return false;
        trayOwner_ = owner;
        return true;
    }
    void ReleaseTray(const void *owner)
    {
        if (trayOwner_ == owner)
            trayOwner_ = nullptr;
    }

private:
    NotificationArea &area_;
    const void *trayOwner_ = nullptr;
};

}  // namespace pellimore
