#pragma once

#include <QIcon>
#include <QImage>

namespace pellimore {

// A picture object as a control's picture property takes it: empty, a
// bitmap or an icon, with the type a host can ask for.
class TrayPicture {
public:
    enum Type : short { kNone = 0, kBitmap = 1, kMetafile = 2, kIcon = 3 };

    TrayPicture() = default;
    static TrayPicture FromIcon(const QIcon &icon);
    static TrayPicture FromBitmap(const QImage &image);
    // An .ico file gives an icon, any other picture file a bitmap,
    // an unreadable file an empty picture.
    static TrayPicture Load(const QString &fileName);
    // The control's own picture, shown at design time and used until the
    // host sets an icon.
    static TrayPicture DesignPicture();

    Type PictureType() const { return type_; }
    bool IsEmpty() const { return type_ == kNone; }
    // The icon (empty unless the picture is one).
    const QIcon &Icon() const { return icon_; }
    // The picture at size (an icon's nearest rendering, a bitmap as it is).
    QImage Image(QSize size = QSize(32, 32)) const;

private:
    Type type_ = kNone;
    QIcon icon_;
    QImage bitmap_;
};

}  // namespace pellimore
