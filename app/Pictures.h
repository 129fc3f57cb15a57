#pragma once
// The program's pictures, drawn rather than shipped: the icon (the same design as
// packaging/pixtrel.svg), the banner, the About page's logo and the donate button.
#include <QIcon>
#include <QPixmap>

namespace pixtrel {

QPixmap IconPicture(int size);
QIcon ProgramIcon();
// 468 x 60, with the line under the name in the language shown.
QPixmap BannerPicture(const QString& line);
// The donate button, with its word in the language shown.
QPixmap DonatePicture(const QString& word);

}  // namespace pixtrel
