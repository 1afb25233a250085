// The Resize and Crop window's states for the screenshots tool: the picture
// loaded, a crop rectangle being drawn, the crop taken, and a resized result.
#include <QApplication>
#include <QPushButton>
#include <QSlider>

#include "tools/screenshots/Shooter.h"
#include "wallpaper/forms/frmReSize.h"
#include "wallpaper/forms/frmWallpaper.h"

using namespace pellimore;

void ShootResize(Shooter &shoot, frmWallpaper &window)
{
    window.Model().cmdReSize_Click();
    frmReSize *resize = nullptr;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<frmReSize *>(top); found && found->isVisible())
            resize = found;
    }
    if (!resize)
        return;
    ResizeModel &model = resize->Model();
    shoot.Save(*resize, QStringLiteral("resize-loaded"));

    // Crop mode with the rubber band half way through a drag.
    const QSize view(model.Crop().Width(), model.Crop().Height());
    resize->findChild<QPushButton *>(QStringLiteral("cmdCrop"))->click();
    model.picCrop_MouseDown(QPointF(view.width() * 0.2, view.height() * 0.15));
    model.picCrop_MouseMove(QPointF(view.width() * 0.7, view.height() * 0.75));
    shoot.Save(*resize, QStringLiteral("resize-crop-drawn"));
    model.picCrop_MouseUp(QPointF(view.width() * 0.7, view.height() * 0.75));
    shoot.Save(*resize, QStringLiteral("resize-cropped"));

    // End Crop takes the crop; half its size is the result.
    resize->findChild<QPushButton *>(QStringLiteral("cmdCrop"))->click();
    resize->findChild<QSlider *>(QStringLiteral("Slider1"))->setValue(5);
    resize->findChild<QPushButton *>(QStringLiteral("cmdResize"))->click();
    shoot.Save(*resize, QStringLiteral("resize-result"));
    resize->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
    Settle(200);
}
