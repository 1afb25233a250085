#pragma once

#include <QColor>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "platform/ui/Ui.h"

namespace pellimore {

// The translations between the program's view of boxes and dialogs and Qt's.

// The buttons of a set, left to right as the default button counts them.
std::vector<MessageResult> ButtonOrder(MessageButtons buttons);
QMessageBox::StandardButtons StandardButtonsFor(MessageButtons buttons);
// The default button, counted from 1; a number outside the set means the first.
QMessageBox::StandardButton DefaultButtonFor(MessageButtons buttons, int defaultButton);
// The answer for the button pressed. Closing the box without one (Escape, the
// window's close button) answers Cancel where there is one, else No, else OK.
MessageResult ResultFor(QMessageBox::StandardButton pressed, MessageButtons buttons);
QMessageBox::Icon IconFor(MessageIcon icon);

// "Pictures|*.jpg;*.gif|All files|*.*" -> "Pictures (*.jpg *.JPG *.gif *.GIF);;All files (*.*)".
// Each pattern also gets its lower- and upper-case forms, since the desktop's
// own file dialogs match patterns case-sensitively and pictures from cameras
// are often named "IMG_0001.JPG". A description that already ends in its
// patterns ("JPEG (*.jpg)") keeps only one copy of them. Pairs without a
// pattern are dropped; an empty result means "all files".
QString QtNameFilters(const QString &programFilter);

// The chosen paths as one folder and the names in it; nothing for no paths.
std::optional<OpenFilesResult> SplitSelection(const QStringList &paths);

// COLORREF (red in the low byte) and QColor. A system-colour reference has
// no colour of its own here and reads as its low 24 bits.
QColor ToQColor(ColorRef color);
ColorRef FromQColor(const QColor &color);

}  // namespace pellimore
