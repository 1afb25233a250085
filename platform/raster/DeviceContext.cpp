#include "platform/raster/DeviceContext.h"

#include <utility>

namespace pellimore {

Pen DeviceContext::SelectPen(const Pen &pen)
{
    return std::exchange(pen_, pen);
}

Rop2 DeviceContext::SetRop2(Rop2 rop)
{
    return std::exchange(rop2_, rop);
}

StretchMode DeviceContext::SetStretchBltMode(StretchMode mode)
{
    return std::exchange(stretchMode_, mode);
}

QPoint DeviceContext::SetBrushOrg(QPoint origin)
{
    return std::exchange(brushOrg_, origin);
}

QPoint DeviceContext::MoveToEx(int x, int y)
{
    return std::exchange(position_, QPoint(x, y));
}

void DeviceContext::LineTo(int x, int y)
{
    DrawLine(*target_, position_.x(), position_.y(), x, y, pen_, rop2_);
    position_ = QPoint(x, y);
}

}  // namespace pellimore
