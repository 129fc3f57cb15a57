#pragma once
// The program's pictures, drawn rather than shipped: the icon (the same design as
// packaging/pixtrel.svg), the banner, the About page's logo and the donate button.
#include <QIcon>
#include <QPixmap>

namespace pixtrel {

QPixmap IconPicture(int size);
QIcon ProgramIcon();
QPixmap BannerPicture();  // 468 x 60
QPixmap DonatePicture();

}  // namespace pixtrel
