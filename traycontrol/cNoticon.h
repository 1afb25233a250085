#pragma once

// cNoticon: the tray icon control. A host form places it like any control;
// while the form runs, the control puts one icon with a tip into the
// notification area and raises the mouse events on that icon. It is only
// seen while the form is designed: a 34 x 34 tile showing the tray icon.

#include <QWidget>

#include "traycontrol/NoticonCore.h"

namespace pellimore {

class cNoticon : public QWidget, private NoticonEvents {
    Q_OBJECT

public:
    // The control's programmatic identifier.
    static constexpr const char *kProgId = "NoticonCtl.cNoticon";
    // The control's fixed size, in pixels.
    static constexpr int kSide = 34;

    // The library and site must outlive the control. The host then calls
    // InitProperties (a new control) or ReadProperties (a stored one).
    cNoticon(NoticonLibrary &library, ControlSite &site, QWidget *parent = nullptr);
    ~cNoticon() override;

    void InitProperties() { core_.InitProperties(); }
    void ReadProperties(const PropertyBag &bag) { core_.ReadProperties(bag); }
    void WriteProperties(PropertyBag &bag) const { core_.WriteProperties(bag); }

    bool InTray() const { return core_.InTray(); }
    void SetInTray(bool value) { core_.SetInTray(value); }
    const TrayPicture &TrayIcon() const { return core_.TrayIcon(); }
    void SetTrayIcon(const TrayPicture &picture);
    const QString &TrayTip() const { return core_.TrayTip(); }
    void SetTrayTip(const QString &tip) { core_.SetTrayTip(tip); }
    QMenu *TrayMenu() const { return core_.TrayMenu(); }
    void SetTrayMenu(QMenu *menu) { core_.SetTrayMenu(menu); }

    bool IconAdded() const { return core_.IconAdded(); }
    NoticonCore &Core() { return core_; }

    QSize sizeHint() const override { return QSize(kSide, kSide); }

signals:
    void MouseDown(short Button, int Id);
    void MouseUp(short Button, int Id);
    void MouseMove(int Id);
    void MouseDblClick(short Button, int Id);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void RaiseMouseDown(int16_t Button, int32_t Id) override { emit MouseDown(short(Button), int(Id)); }
    void RaiseMouseUp(int16_t Button, int32_t Id) override { emit MouseUp(short(Button), int(Id)); }
    void RaiseMouseMove(int32_t Id) override { emit MouseMove(int(Id)); }
    void RaiseMouseDblClick(int16_t Button, int32_t Id) override { emit MouseDblClick(short(Button), int(Id)); }

    NoticonCore core_;
};

}  // namespace pellimore
