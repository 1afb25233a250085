#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace pellimore {

// "Shut down Wallpaper Pellimore": Yes ends the program, No (or closing the
// window) keeps it running.
class frmExit final : public QDialog {
    Q_OBJECT

public:
    explicit frmExit(QWidget *parent = nullptr);
    // Shows the window modally; true for "Yes".
    bool Ask();

private:
    bool yes_ = false;
};

// The reminder after Start: where the program went, and a check box to stop
// showing it.
class frmAutoRun final : public QDialog {
    Q_OBJECT

public:
    // noNotificationArea: the session has no notification area, so the
    // window stays in the task bar instead.
    explicit frmAutoRun(bool noNotificationArea, QWidget *parent = nullptr);
    // Shows the window modally; true when "Don't show this message again." was checked.
    bool Run();

private:
    QCheckBox *chkDontShow_ = nullptr;
};

// The about window, also the start-up splash (no OK button, " Loading...").
class frmAbout final : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(bool splash, QWidget *parent = nullptr);

private:
    QLabel *lblStatus_ = nullptr;
    QPushButton *cmdOK_ = nullptr;
};

// The program's version, "Version major.minor.revision".
QString VersionText();

}  // namespace pellimore
