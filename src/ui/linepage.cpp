#include "ui/linepage.h"

#include <QLabel>
#include <QPainter>
#include <QToolButton>

#include "ui/scopeview.h"
#include "ui/skin.h"

namespace {

constexpr int kToggleOff = 15;
constexpr int kToggleOn = 16;

QLabel* AddLabel(QWidget* parent, const QString& text, QPoint at, const QColor& colour, bool bold = false) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setPointSize(8);
  font.setBold(bold);
  label->setFont(font);
  label->setStyleSheet(QString("QLabel { color: %1; background: transparent; }").arg(colour.name()));
  label->move(at);
  label->adjustSize();
  return label;
}

QToolButton* AddToggle(QWidget* parent, const QRect& place, const QString& hint) {
  auto* button = new QToolButton(parent);
  button->setGeometry(place);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setToolTip(hint);
  button->setIconSize(QSize(16, 10));
  button->setStyleSheet("QToolButton { border: none; padding: 0; background: transparent; }");
  button->setIcon(skin::ImageIcon(kToggleOff));
  return button;
}

const QColor kGold(255, 203, 0);
const QColor kYellow(255, 255, 0);

}  // namespace

void TLinePage::SetText(QLabel* label, const QString& text) {
  label->setText(text);
  label->adjustSize();
}

TLinePage::Layout::Layout(QSize pages) : h(pages.height() / 8), w(pages.width() / 5) {
  const int left = static_cast<int>(0.2 * w);
  const int buttons = static_cast<int>(4.4 * w);
  infoPanel = QRect(left, h, 2 * w - (2 * w) / 8, static_cast<int>(2.5 * h));
  scopeView = QRect(left, h, 2 * w - 16, 4 + static_cast<int>(2.5 * h));
  scopeButton = QRect(buttons, h, 17, 10);
  filterButton = QRect(buttons, h + 11, 17, 10);
  separator = QRect(left, 4 * h, 8 + buttons, 3);
  onLineCaption = QPoint(0, 0);
  onLineValue = QPoint(w, 0);
  txCaption = QPoint(0, h + h / 2);
  txValue = QPoint(w, h + h / 2);
  ipCaption = QPoint(2 * w, h);
  ipValue = QPoint(static_cast<int>(2.8 * w), h);
  rxCaption = QPoint(2 * w, static_cast<int>(2.5 * h));
  rxValue = QPoint(static_cast<int>(2.8 * w), static_cast<int>(2.5 * h));
  peerLabel = QPoint(left, static_cast<int>(4.5 * h));
  soundTypeLabel = QPoint(static_cast<int>(2.5 * w), static_cast<int>(4.5 * h));
  qualityMark = QRect(buttons + 3, static_cast<int>(4.5 * h) + 3, 9, 9);
}

TLinePage::TLinePage(int line, QSize pages, QWidget* parent) : QWidget(parent), line_(line) {
  const Layout layout(pages);
  setAutoFillBackground(false);

  separator = new QWidget(this);
  separator->setGeometry(layout.separator);
  separator->setStyleSheet(QString("background: %1;").arg(kGold.name()));

  scopeView = new TScopeView(this);
  scopeView->setGeometry(layout.scopeView);
  scopeView->setToolTip("Click to freeze scope");
  scopeView->hide();

  scopeButton = AddToggle(this, layout.scopeButton, "Scope On/Off");
  filterButton = AddToggle(this, layout.filterButton, "Bandpass filter On/Off");

  ipCaption = AddLabel(this, "IP:", layout.ipCaption, kGold);
  ipValue = AddLabel(this, "", layout.ipValue, kGold);
  rxCaption = AddLabel(this, "Rx kB/s:", layout.rxCaption, kGold);
  rxValue = AddLabel(this, "", layout.rxValue, kGold);

  infoPanel = new QWidget(this);
  infoPanel->setGeometry(layout.infoPanel);
  infoPanel->setStyleSheet("background: black;");
  txCaption = AddLabel(infoPanel, "Tx kB/s:", layout.txCaption, kGold);
  txValue = AddLabel(infoPanel, "", layout.txValue, kGold);
  onLineCaption = AddLabel(infoPanel, "OnLine:", layout.onLineCaption, kGold);
  onLineValue = AddLabel(infoPanel, "", layout.onLineValue, kGold);

  peerLabel = AddLabel(this, "", layout.peerLabel, kYellow, true);
  soundTypeLabel = AddLabel(this, "", layout.soundTypeLabel, kYellow, true);
  qualityMark = new QLabel(this);
  qualityMark->setGeometry(layout.qualityMark);
  qualityMark->hide();

  connect(scopeButton, &QToolButton::clicked, this, &TLinePage::ScopeButtonClicked);
  connect(filterButton, &QToolButton::clicked, this, &TLinePage::FilterButtonClicked);
  SetFilterOn(false);
}

void TLinePage::paintEvent(QPaintEvent*) {
  // The call's figures are gold and yellow; they stand on a dark plate so
  // that they read, with the page's own grey around it.
  QPainter painter(this);
  painter.fillRect(rect(), QColor(201, 205, 214));
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QColor(90, 94, 104));
  painter.setBrush(QColor(30, 32, 38));
  painter.drawRoundedRect(QRectF(4.5, 6.5, width() - 9, height() - 12), 4, 4);
}

void TLinePage::ShowQuality(int mark, const QString& hint) {
  // Green, amber and red, as a listener would read them.
  static const char* const kColours[] = {"#3ec94a", "#f0a81c", "#e5412f"};
  quality_ = mark >= 1 && mark <= 3 ? mark : 0;
  qualityMark->setHidden(quality_ == 0);
  qualityMark->setToolTip(hint);
  if (quality_ == 0) return;
  qualityMark->setStyleSheet(QString("QLabel { background: %1; border: 1px solid #101010; border-radius: 4px; }")
                                 .arg(kColours[quality_ - 1]));
}

void TLinePage::SetFilterOn(bool on) {
  filterOn_ = on;
  filterButton->setIcon(skin::ImageIcon(on ? kToggleOn : kToggleOff));
}

bool TLinePage::ScopeShown() const {
  return !scopeView->isHidden();
}

void TLinePage::ShowScope(bool shown) {
  scopeView->setHidden(!shown);
  infoPanel->setHidden(shown);
  scopeButton->setIcon(skin::ImageIcon(shown ? kToggleOn : kToggleOff));
  if (shown) scopeView->Clear();
}

void TLinePage::ApplyLanguage(const TextLookup& texts) {
  const auto text = [&](const char* key) {
    const std::string found = texts ? texts(key) : std::string();
    return QString::fromLatin1(found.data(), qsizetype(found.size()));
  };
  if (const QString t = text("RxkB"); !t.isEmpty()) SetText(rxCaption, t);
  if (const QString t = text("TxkB"); !t.isEmpty()) SetText(txCaption, t);
  if (const QString t = text("OnLine"); !t.isEmpty()) SetText(onLineCaption, t);
  if (const QString t = text("ScopeFreeze"); !t.isEmpty()) scopeView->setToolTip(t);
  if (const QString t = text("ScopeOnOff"); !t.isEmpty()) scopeButton->setToolTip(t);
  if (const QString t = text("Filter"); !t.isEmpty()) filterButton->setToolTip(t);
}
