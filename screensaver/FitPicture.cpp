#include "screensaver/FitPicture.h"

#include <algorithm>
#include <cmath>

#include "platform/raster/Raster.h"

namespace pellimore {

FitPlan PlanFit(QSize area, QSize screen, QSize shown)
{
    FitPlan plan;
    const int screenW = screen.width();
    const int screenH = screen.height();
    if (area.width() <= screenW && area.height() <= screenH) {
        // Each later test that hits overrides an earlier one.
        if (area.width() <= screenW / 1.6)
            plan.sizeClass = 512;
        if (area.height() <= screenH / 2.0)
            plan.sizeClass = 512;
        if (area.width() <= screenW / 4.0)
            plan.sizeClass = 256;
        if (area.height() <= screenH / 4.0)
            plan.sizeClass = 256;
        if (shown.width() <= screenW / 1.6)
            plan.sizeClass = 512;
        if (shown.height() <= screenH / 2.0)
            plan.sizeClass = 512;
        return plan;
    }

    plan.oversize = true;
    const double ratioX = double(screenW) / area.width();
    const double ratioY = double(screenH) / area.height();
    // The side with the smaller ratio binds, so the result fits both ways.
    const bool byWidth = ratioX <= ratioY;
    const double ratio = byWidth ? ratioX : ratioY;
    plan.scratch = QSize(std::max(1, int(std::lround(area.width() * ratio))),
                         std::max(1, int(std::lround(area.height() * ratio))));

    double factor = 1;
    if (!(plan.scratch.width() - 2 >= area.width() && plan.scratch.height() - 2 >= area.height()))
        factor = byWidth ? double(plan.scratch.width() - 2) / area.width()
                         : double(plan.scratch.height() - 2) / area.height();
    const int newW = std::max(1, int(std::lround(area.width() * factor)));
    const int newH = std::max(1, int(std::lround(area.height() * factor)));
    plan.draw = QRect((plan.scratch.width() - newW) / 2, (plan.scratch.height() - newH) / 2, newW, newH);
    return plan;
}

QSize ScreenShownSize(QSize stored, QSize screen)
{
    const FitPlan plan = PlanFit(stored, screen, screen);
    return plan.oversize ? plan.draw.size() : QSize();
}

Bitmap FitPicture(const Bitmap &area, QSize screen, QSize shown, ColorRef scratchBack, FitPlan *plan, QSize stored)
{
    *plan = PlanFit(stored.isEmpty() ? QSize(area.Width(), area.Height()) : stored, screen, shown);
    if (!plan->oversize)
        return area;
    Bitmap scratch(plan->scratch.width(), plan->scratch.height(), 24);
    scratch.Fill(PixelFromColorRef(scratchBack));
    StretchBlt(scratch, plan->draw.x(), plan->draw.y(), plan->draw.width(), plan->draw.height(), area, 0, 0,
               area.Width(), area.Height(), StretchMode::Halftone, kSrcCopy);
    return scratch;
}

}  // namespace pellimore
