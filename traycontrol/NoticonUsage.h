#pragma once

namespace pellimore::NoticonUsage {

// The library's live objects (controls, class objects) and server locks,
// counted so that DllCanUnloadNow can answer. This count is the library's
// only process-wide state: the C entry points have nowhere else to keep it.
void ObjectCreated();
void ObjectDestroyed();
void Lock(bool lock);
bool Idle();

}  // namespace pellimore::NoticonUsage
