#include "ui/skin.h"

#include <QFile>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

// The pictures are a resource of a static library: unless something calls
// its registration, the linker leaves them out of the program. (Outside any
// namespace: the macro declares the registration function where it stands.)
static void RegisterPictures() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(skin);
    return true;
  }();
  (void)registered;
}

namespace {

QPixmap Render(const QString& path, QSize size) {
  // Parts paint their pictures at every repaint; each is drawn once a size.
  const QString key = QString("%1@%2x%3").arg(path).arg(size.width()).arg(size.height());
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap)) return pixmap;
  RegisterPictures();
  QSvgRenderer renderer(path);
  if (!renderer.isValid() || size.isEmpty()) return {};
  pixmap = QPixmap(size);
  pixmap.fill(Qt::transparent);
  {
    QPainter painter(&pixmap);
    renderer.render(&painter);
  }
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

}  // namespace

namespace skin {

QPixmap Picture(const QString& name, QSize size) {
  return Render(":/skin/" + name + ".svg", size);
}

QPixmap Image(int index, int size) {
  return Render(QString(":/images/image-%1.svg").arg(index, 2, 10, QChar('0')), QSize(size, size));
}

QIcon ImageIcon(int index) {
  // Drawn at each size it is shown at (tabs 12, toggles 10), not shrunk.
  QIcon icon;
  for (const int size : {16, 12, 10}) icon.addPixmap(Image(index, size));
  return icon;
}

QIcon ButtonIcon(const QString& normal, const QString& other, QSize size, QIcon::Mode otherMode,
                 QIcon::State otherState) {
  QIcon icon;
  icon.addPixmap(Picture(normal, size), QIcon::Normal, QIcon::Off);
  if (!other.isEmpty()) icon.addPixmap(Picture(other, size), otherMode, otherState);
  return icon;
}

}  // namespace skin
