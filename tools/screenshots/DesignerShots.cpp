// The Combine Pictures window's states for the screenshots tool: a picture
// background, the actual-size tile view, a gradient, a border in a corner,
// and the preview strip during a desktop preview.
#include <QApplication>
#include <QPushButton>

#include "tools/screenshots/Shooter.h"
#include "wallpaper/changer/ChangerState.h"
#include "wallpaper/forms/frmCombine.h"
#include "wallpaper/forms/frmWallpaper.h"

using namespace pellimore;

namespace {

frmCombine *OpenDesigner(frmWallpaper &window)
{
    // A front picture well inside the desktop, so that the background shows
    // around it.
    MainWindowModel &main = window.Model();
    const ChangerState &state = main.App().State();
    for (int i = 0; i < main.PictureNames().size(); ++i) {
        main.FileList_Click(i);
        const PictureSurface &front = main.Picture().Source();
        if (front.Width() * 3 <= state.DesktopWidth * 2 && front.Height() * 3 <= state.DesktopHeight * 2 &&
            !main.PictureNames().at(i).endsWith(QLatin1String(".gif"), Qt::CaseInsensitive))
            break;
    }
    main.cmdBackground_Click();
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *designer = qobject_cast<frmCombine *>(top))
            return designer;
    }
    return nullptr;
}

// The first background of at most 400 x 400 (a tile) or larger.
int FindBackground(DesignerModel &model, bool tile)
{
    for (int i = 0; i < model.BackgroundNames().size(); ++i) {
        model.FileList_Click(i);
        if (model.TileShown() == tile)
            return i;
    }
    return -1;
}

}  // namespace

void ShootDesigner(Shooter &shoot, frmWallpaper &window)
{
    frmCombine *designer = OpenDesigner(window);
    if (!designer) {
        QTextStream(stderr) << "screenshots: the designer did not open\n";
        return;
    }
    DesignerModel &model = designer->Model();
    Settle(300);
    if (FindBackground(model, false) >= 0)
        shoot.Save(*designer, QStringLiteral("designer-picture"));
    if (FindBackground(model, true) >= 0)
        shoot.Save(*designer, QStringLiteral("designer-tile"));

    model.optBackType_Click(BackgroundType::Gradient);
    model.optGrad_Click(int(GradientKind::Diagonal));
    shoot.Save(*designer, QStringLiteral("designer-gradient"));

    model.optGrad_Click(int(GradientKind::Sphere));
    model.optOrient_Click(int(FrontOrientation::BottomRight));
    model.ckBorder_Click(true);
    shoot.Save(*designer, QStringLiteral("designer-border"));

    model.cmdPreview_Click();
    Settle(500);
    shoot.Save(*designer, QStringLiteral("designer-preview-strip"));
    model.cmdPreview_Click();
    designer->close();
    Settle(200);
}
