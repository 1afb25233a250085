#pragma once

#include <QDialog>

#include <functional>

#include "platform/raster/Bitmap.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace pellimore {

class ScreenSaver;

// The settings dialog "Wallpaper Pellimore Screen Saver Settings". It edits
// the settings in memory and writes the section on Save.
class SetupSaver final : public QDialog {
public:
    explicit SetupSaver(ScreenSaver &saver, const Bitmap &aboutPicture = Bitmap(), QWidget *parent = nullptr);

    // Called after Save while the show runs (the new background and title at once).
    void SetOnSavedDuringShow(std::function<void()> callback) { onSavedDuringShow_ = std::move(callback); }
    // Called when the dialog closes outside Show mode (ExitSaver).
    void SetOnUnload(std::function<void()> callback) { onUnload_ = std::move(callback); }

    // Handlers, named after control and event.
    void cmdDir_Click();
    void cmdFont_Click();
    void txtColor_MouseDown();
    void optDisplay_Click(int index);
    void cmdSave_Click();
    void Command2_Click();
    void Command3_Click();

    // The controls, for the handlers and for tests.
    QLabel *Label2 = nullptr;
    QLineEdit *txtDir = nullptr;
    QPushButton *cmdDir = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *txtTitle = nullptr;
    QPushButton *cmdFont = nullptr;
    QGroupBox *fraDisplay = nullptr;
    QRadioButton *optDisplay[2] = {};
    QCheckBox *ckRandom = nullptr;
    QLabel *lblTime = nullptr;
    QLineEdit *txtTime = nullptr;
    QGroupBox *fraColor = nullptr;
    QLineEdit *txtColor = nullptr;
    QLabel *lblColor = nullptr;
    QRadioButton *optColor[2] = {};
    QLabel *lblHelp = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;

    ColorRef DialogColor() const { return dialogColor_; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    void Form_Load();
    void ApplyTitleFont();
    void SetSwatch(ColorRef color);
    void Unload();

    ScreenSaver &saver_;
    Bitmap aboutPicture_;
    ColorRef dialogColor_ = 0;
    bool randomAtOpen_ = false;
    bool unloaded_ = false;
    std::function<void()> onSavedDuringShow_;
    std::function<void()> onUnload_;
};

// The about box "About Wallpaper Pellimore Screen Saver".
class frmAboutSS final : public QDialog {
public:
    explicit frmAboutSS(const Bitmap &picture, QWidget *parent = nullptr);
    QLabel *imgAbout = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *Command1 = nullptr;
};

}  // namespace pellimore
