#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>
#include <QString>

#include "platform/raster/Bitmap.h"

namespace pellimore {

// The desktop portal's colour picker (org.freedesktop.portal.Screenshot,
// PickColor), for sessions where the program cannot read the screen itself
// (Wayland). The portal shows its own picker; the answer comes later as a
// signal.
class PortalColorPicker final : public QObject {
    Q_OBJECT
public:
    explicit PortalColorPicker(QObject *parent = nullptr);
    // A picker on another bus (tests run a private one).
    PortalColorPicker(const QDBusConnection &bus, QObject *parent = nullptr);
    ~PortalColorPicker() override;

    // True when the session's portal offers PickColor (Screenshot version 2
    // or later). Asks the bus, with a short timeout.
    bool Available() const;
    // Asks the portal for a colour; Picked or Cancelled follows. False when
    // the request could not be made. parentWindow: the portal's window
    // identifier, or empty.
    bool Pick(const QString &parentWindow = QString());

signals:
    void Picked(ColorRef color);
    void Cancelled();

private slots:
    void Response(uint response, const QVariantMap &results);

private:
    QDBusConnection bus_;
    QString pendingPath_;
    int requests_ = 0;
};

// The portal's colour (three doubles, 0 to 1) as a colour reference.
ColorRef PortalColorToRef(double red, double green, double blue);

}  // namespace pellimore
