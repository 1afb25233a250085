#pragma once

#include <QWidget>

#include <functional>

#include "platform/raster/Bitmap.h"

class QLabel;
class QTimer;

namespace pellimore {

class ScreenSaver;

// The preview: Picture1, the built-in preview picture, shown inside the
// window given after "/P", and Timer1, which ends the program once that
// window is gone or has closed the picture.
class ControlForm final : public QWidget {
public:
    ControlForm(ScreenSaver &saver, const Bitmap &previewPicture, QWidget *parent = nullptr);
    ~ControlForm() override;

    // Called when the form unloads (ExitSaver).
    void SetOnUnload(std::function<void()> callback) { onUnload_ = std::move(callback); }
    // Embeds Picture1 in previewParent (Form_Load).
    void Form_Load();
    void Timer1_Timer();

    QWidget *Picture1 = nullptr;
    QTimer *Timer1 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Unload();

    ScreenSaver &saver_;
    bool unloaded_ = false;
    std::function<void()> onUnload_;
};

}  // namespace pellimore
