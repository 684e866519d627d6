#include "ui/clientlist.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

#include "core/clientrows.h"
#include "ui/skin.h"

namespace {

QString Latin1(const std::string& text) {
  return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// Draws a row from the client list: grey behind the selected row, the mark
// at the left, the name in gold 32 pixels in, bold when the mark is not
// "offline".
class ClientRowDelegate : public QStyledItemDelegate {
 public:
  explicit ClientRowDelegate(const TClientList& list) : QStyledItemDelegate(nullptr), list_(list) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QRect row = option.rect;
    const bool selected = list_.currentRow() == index.row();
    painter->fillRect(row, selected ? QColor(128, 128, 128) : QColor(0, 0, 0));
    ClientRow client;
    if (!list_.Rows() || !list_.Rows()->RowAt(index.row(), client)) return;
    painter->drawPixmap(row.left(), row.top(), skin::Image(client.mark));
    QFont font = option.font;
    font.setBold(client.mark != ClientRow::kOffline);
    painter->setFont(font);
    painter->setPen(QColor(255, 203, 0));
    painter->drawText(QRect(row.left() + 32, row.top(), row.width() - 32, row.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, Latin1(client.name));
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return QSize(option.rect.width(), TClientList::kRowHeight);
  }

 private:
  const TClientList& list_;
};

}  // namespace

TClientList::TClientList(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new ClientRowDelegate(*this));
  itemDelegate()->setParent(this);
  setFrameShape(QFrame::NoFrame);
  setUniformItemSizes(true);
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setToolTip("Client list");
  setStyleSheet("QListWidget { background: black; border: none; }");
}

QString TClientList::RowHint(int row) const {
  ClientRow client;
  if (!rows_ || row < 0 || row >= count() || !rows_->RowAt(row, client)) return {};
  return Latin1(client.address) + "  " + Latin1(client.name);
}

void TClientList::mousePressEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  // A press below the last row changes nothing.
  if (!index.isValid()) return;
  setCurrentRow(index.row());
  viewport()->update();
  emit RowChosen(index.row());
}

void TClientList::mouseMoveEvent(QMouseEvent* event) {
  const QModelIndex index = indexAt(event->position().toPoint());
  if (!index.isValid()) return;
  const QString hint = RowHint(index.row());
  if (!hint.isEmpty()) QToolTip::showText(event->globalPosition().toPoint(), hint, this);
  if (event->buttons() & Qt::LeftButton) emit DragStarted();
}
