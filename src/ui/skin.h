#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>

// The window's pictures, drawn from the program's SVG resources at the size
// each place needs, so they stay sharp at any size. A picture that is
// missing comes back empty and the place stays in its plain colour.
namespace skin {

// The images of a line's tab.
inline constexpr int kTabConnected = 1;
inline constexpr int kTabFree = 2;
inline constexpr int kTabRinging = 3;
inline constexpr int kTabCalling = 4;
inline constexpr int kTabClosed = 5;

// ":/skin/<name>.svg", e.g. "title-active".
QPixmap Picture(const QString& name, QSize size);
// Image n (0 to 16) of the window's image list, 16 by 16 unless asked otherwise.
QPixmap Image(int index, int size = 16);
QIcon ImageIcon(int index);
// A picture for a button's normal look and, when given, its disabled or
// checked look.
QIcon ButtonIcon(const QString& normal, const QString& other, QSize size, QIcon::Mode otherMode,
                 QIcon::State otherState = QIcon::Off);

}  // namespace skin
