#pragma once

#include <QLabel>
#include <QPixmap>
#include <QString>

// The pictures of the windows, drawn as SVG and compiled into the program.
namespace pictures {
inline const QString sunny177 = ":/weather/sunny_177.svg";
inline const QString variable177 = ":/weather/variable_177.svg";
inline const QString overcast177 = ":/weather/overcast_177.svg";
inline const QString rainy177 = ":/weather/rainy_177.svg";
inline const QString rainsnow177 = ":/weather/rainsnow_177.svg";
inline const QString snow177 = ":/weather/snow_177.svg";
inline const QString sunny63 = ":/weather/sunny_63.svg";
inline const QString variable63 = ":/weather/variable_63.svg";
inline const QString overcast63 = ":/weather/overcast_63.svg";
inline const QString rainy63 = ":/weather/rainy_63.svg";
inline const QString rainsnow63 = ":/weather/rainsnow_63.svg";
inline const QString snow63 = ":/weather/snow_63.svg";
inline const QString quickUp = ":/trend/quick_up.svg";
inline const QString slowUp = ":/trend/slow_up.svg";
inline const QString unchanged = ":/trend/constant.svg";
inline const QString slowDown = ":/trend/slow_down.svg";
inline const QString quickDown = ":/trend/quick_down.svg";
inline const QString mountainLow = ":/altimeter/mount_low.svg";
inline const QString mountainMiddle = ":/altimeter/mount_mid.svg";
inline const QString mountainHigh = ":/altimeter/mount_high.svg";
inline const QString thermometerScale = ":/thermometer/scale.svg";
inline const QString arrowUp = ":/altimeter/arrow_up.svg";
inline const QString arrowDown = ":/altimeter/arrow_down.svg";
inline const QString aboutPicture = ":/icons/about.svg";
inline const QString programIcon = ":/icons/program.svg";
} // namespace pictures

// The SVG picture at `path` drawn at `size`; an empty pixmap when it cannot be read.
// The first call makes the compiled-in pictures reachable.
QPixmap renderPicture(const QString& path, QSize size);

// A label named `name` at (x, y) showing the picture at its size; hidden when `visible` is false.
QLabel* pictureLabel(QWidget* parent, const char* name, const QString& path, QRect place,
                     bool visible = true);
