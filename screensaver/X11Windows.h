#pragma once

#include <QSize>

#include <cstdint>

class QWidget;

namespace pellimore {

// Small X11 services of the screen saver, on the application's own X
// connection. Without an X display (another Qt platform) every window counts
// as absent.

// True when id names an existing window (IsWindow).
bool X11WindowExists(uint32_t id);
// The inside size of a window in pixels (GetClientRect); empty when it does
// not exist.
QSize X11WindowSize(uint32_t id);
// The root window of the default screen; 0 without X.
uint32_t X11RootWindow();
// Makes widget a child of the foreign window id, filling its inside, and
// shows it. False when the window does not exist.
bool EmbedInForeignWindow(QWidget *widget, uint32_t id);

}  // namespace pellimore
