#include "screensaver/SaverApp.h"

#include <QApplication>
#include <QFile>
#include <QScreen>

#include <cmath>
#include <cstdio>

#include "platform/Platform.h"
#include "platform/imageio/PictureLoader.h"
#include "platform/instance/InstanceChannel.h"
#include "platform/ui/Ui.h"
#include "screensaver/ControlForm.h"
#include "screensaver/FitPicture.h"
#include "screensaver/ScreenSaver.h"
#include "screensaver/SetupSaver.h"
#include "screensaver/SlideShow.h"
#include "screensaver/X11Windows.h"

namespace pellimore {

SaverPictures LoadBuiltInPictures()
{
    const auto load = [](const char *name) {
        QFile file(QStringLiteral(":/screensaver/") + QLatin1String(name));
        if (!file.open(QIODevice::ReadOnly))
            return Bitmap();
        return LoadPictureFromData(file.readAll()).bitmap;
    };
    return {load("start.bmp"), load("logo.bmp"), load("preview.bmp"), load("about.bmp")};
}

SaverApp::SaverApp(ScreenSaver &saver, InstanceChannel &instance, InstanceChannel &preview, SaverPictures pictures)
    : saver_(saver), instance_(instance), preview_(preview), pictures_(std::move(pictures))
{
}

SaverApp::~SaverApp() = default;

int SaverApp::Run(const QStringList &arguments, const QString &xscreensaverWindow)
{
    const SaverCommand command = ParseCommandLine(arguments, xscreensaverWindow);
    if (!command.error.isEmpty()) {
        std::fprintf(stderr, "Wallpaper Pellimore: %s\n", qPrintable(command.error));
        return 2;
    }
    firstInstance_ = instance_.ClaimFirstInstance();

    // The screen's twips per pixel (15 at 96 dots per inch).
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        saver_.twipsPerPixelX = std::max(1, int(std::lround(1440.0 / screen->logicalDotsPerInchX())));
        saver_.twipsPerPixelY = std::max(1, int(std::lround(1440.0 / screen->logicalDotsPerInchY())));
    }
    // Under xscreensaver nobody can answer a box: the daemon owns the screen.
    saver_.quiet = command.target != ShowTarget::OwnWindow;

    saver_.LoadSaverSettings(JoinCommandLine(arguments), [this] { ShowSetupModal(); });
    if (exiting_)
        return 0;

    if (!saver_.firstRunWithShow) {
        if (command.askPassword) {
            MessageBoxRequest box;
            box.text = QStringLiteral("Password is not available for this screen saver.");
            box.title = QStringLiteral("Wallpaper Pellimore Screen Saver");
            saver_.platform.ui.MessageBox(box);
            return 0;
        }
        saver_.runMode = command.mode;
    }
    switch (saver_.runMode) {
    case RunMode::Show:
        return RunShow(command);
    case RunMode::Preview:
        saver_.previewParent = command.previewParent;
        return RunPreview();
    case RunMode::Setup:
        break;
    }
    return RunSetup();
}

void SaverApp::ShowSetupModal()
{
    SetupSaver dialog(saver_, pictures_.about);
    dialog.SetOnUnload([this] { ExitSaver(); });
    dialog.exec();
}

int SaverApp::RunSetup()
{
    setup_ = std::make_unique<SetupSaver>(saver_, pictures_.about);
    setup_->SetOnUnload([this] { ExitSaver(); });
    setup_->show();
    if (!exiting_)
        QApplication::exec();
    return 0;
}

int SaverApp::RunShow(const SaverCommand &command)
{
    // ShowOnlyOnce: a second show ends at once.
    if (!firstInstance_)
        return 0;
    slideShow_ = std::make_unique<SlideShow>(saver_, pictures_.logo);
    slideShow_->SetOnUnload([this] { ExitSaver(); });
    slideShow_->SetOpenSetup([this] { OpenSetupOverShow(); });
    slideShow_->ApplyTitleFont();
    if (command.target == ShowTarget::OwnWindow) {
        slideShow_->setWindowFlag(Qt::FramelessWindowHint);
        // The whole screen, with or without a window manager to honour full screen.
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            slideShow_->setGeometry(screen->geometry());
        slideShow_->showFullScreen();
        slideShow_->activateWindow();
        slideShow_->raise();
        slideShow_->SetCursorHidden(true);
        cursorHidden_ = true;
    } else {
        // xscreensaver: draw into its window (or the root window); its daemon
        // ends the show, not our input.
        slideShow_->SetInputEndsShow(false);
        const uint32_t target =
            command.target == ShowTarget::RootWindow ? X11RootWindow() : command.targetWindow;
        if (!EmbedInForeignWindow(slideShow_.get(), target)) {
            std::fprintf(stderr, "Wallpaper Pellimore: no window 0x%x to draw in\n", unsigned(target));
            return 1;
        }
    }
    QApplication::processEvents();
    // A picture larger than the screen comes reduced towards the size it is
    // shown at, so a huge photo costs little memory and time.
    auto load = [this](const QString &path) {
        const QSize screen(saver_.screenWidthPx, saver_.screenHeightPx);
        PictureLoadOptions options;
        options.shownSize = [screen](QSize stored) { return ScreenShownSize(stored, screen); };
        return LoadPicture(path, options);
    };
    SlideShowCore core(saver_, *slideShow_, pictures_.start, load);
    core.RunScreenSaver();
    ExitSaver();
    return 0;
}

void SaverApp::OpenSetupOverShow()
{
    SetupSaver dialog(saver_, pictures_.about, slideShow_.get());
    dialog.SetOnSavedDuringShow([this] {
        if (slideShow_)
            slideShow_->DrawBackGround();
    });
    dialog.SetOnUnload([this] { ExitSaver(); });
    dialog.exec();
}

int SaverApp::RunPreview()
{
    // PreviewOnlyOnce: another instance that already shows a preview wins.
    if (!firstInstance_ && !preview_.ClaimFirstInstance())
        return 0;
    if (firstInstance_)
        preview_.ClaimFirstInstance();
    controlForm_ = std::make_unique<ControlForm>(saver_, pictures_.preview);
    controlForm_->SetOnUnload([this] { ExitSaver(); });
    controlForm_->Form_Load();
    if (!exiting_)
        QApplication::exec();
    return 0;
}

void SaverApp::ExitSaver()
{
    if (exiting_)
        return;
    exiting_ = true;
    saver_.StopRequested = true;
    saver_.SaveOnExit();
    if (cursorHidden_ && slideShow_)
        slideShow_->SetCursorHidden(false);
    // Every window still open, the most recent first.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if ((*it)->isVisible())
            (*it)->hide();
    QApplication::exit(0);
}

}  // namespace pellimore
