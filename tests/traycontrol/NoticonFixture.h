#pragma once

// A host for tray controls in tests: its site (run or design mode, the
// properties it was told changed) and the events its control raised.

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QStringList>

#include "traycontrol/ControlSite.h"
#include "traycontrol/cNoticon.h"

namespace pellimore::test {

class RecordingSite final : public ControlSite {
public:
    explicit RecordingSite(bool userMode = true) : userMode_(userMode) {}
    bool UserMode() const override { return userMode_; }
    void PropertyChanged(const QString &name) override { changed << name; }

    QStringList changed;

private:
    bool userMode_;
};

// "MouseDown 1 0" and so on: event, Button, Id.
class EventLog {
public:
    explicit EventLog(cNoticon &control)
    {
        QObject::connect(&control, &cNoticon::MouseDown, [this](short b, int id) { Add("MouseDown", b, id); });
        QObject::connect(&control, &cNoticon::MouseUp, [this](short b, int id) { Add("MouseUp", b, id); });
        QObject::connect(&control, &cNoticon::MouseDblClick, [this](short b, int id) { Add("MouseDblClick", b, id); });
        QObject::connect(&control, &cNoticon::MouseMove,
                         [this](int id) { events << QStringLiteral("MouseMove %1").arg(id); });
    }
    QStringList events;

private:
    void Add(const char *name, short button, int id)
    {
        events << QStringLiteral("%1 %2 %3").arg(QLatin1String(name)).arg(button).arg(id);
    }
};

// An icon of one colour.
inline QIcon PlainIcon(QColor color, int side = 32)
{
    QPixmap pixmap(side, side);
    pixmap.fill(color);
    return QIcon(pixmap);
}

}  // namespace pellimore::test
