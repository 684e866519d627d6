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

const char* const kHowToAdd =
    "No clients yet. To add a friend, press Insert, or right-click here and choose Add.";
const char* const kCallsYouAt = "A friend calls this computer at:";
const char* const kNoAddress = "This computer has no network address yet.";
const QColor kGold(255, 203, 0);
const QColor kPale(201, 205, 214);
constexpr int kGuideMargin = 8;

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
  ApplyLanguage({});
}

void TClientList::SetOwnAddresses(const QStringList& addresses) {
  if (addresses == ownAddresses_) return;
  ownAddresses_ = addresses;
  viewport()->update();
}

void TClientList::ApplyLanguage(const TextLookup& texts) {
  const auto text = [&](const char* key, const char* english) {
    const std::string translated = texts ? texts(key) : std::string();
    return translated.empty() ? QString(english) : Latin1(translated);
  };
  howToAdd_ = text("EmptyList", kHowToAdd);
  callsYouAt_ = text("EmptyListAddress", kCallsYouAt);
  noAddress_ = text("EmptyListNoAddress", kNoAddress);
  viewport()->update();
}

QStringList TClientList::GuideText() const {
  if (count() > 0) return {};
  if (ownAddresses_.isEmpty()) return {howToAdd_, noAddress_};
  return {howToAdd_, callsYouAt_, ownAddresses_.join("\n")};
}

void TClientList::paintEvent(QPaintEvent* event) {
  QListWidget::paintEvent(event);
  const QStringList guide = GuideText();
  if (guide.isEmpty()) return;
  QPainter painter(viewport());
  QRect room = viewport()->rect().adjusted(kGuideMargin, kGuideMargin / 2, -kGuideMargin, 0);
  // In the list's gold, the addresses bold; the line that leads to them paler.
  for (int i = 0; i < guide.size(); ++i) {
    QFont font = this->font();
    font.setBold(i == 2);
    painter.setFont(font);
    painter.setPen(i == 1 ? kPale : kGold);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    const QRect used = painter.boundingRect(room, flags, guide[i]);
    painter.drawText(room, flags, guide[i]);
    room.setTop(used.bottom() + (i == 0 ? 5 : 1));
  }
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
