#include "ui/dlgabout.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>

#include "ui/dialogstyle.h"
#include "ui/skin.h"

namespace {

constexpr int kNoticeLineHeight = 13;

QLabel* AddLabel(QWidget* parent, const QRect& place) {
  auto* label = new QLabel(parent);
  label->setFont(DialogFont());
  label->setGeometry(place);
  // Clicks go through to the box, which closes on any of them.
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  return label;
}

}  // namespace

TDlgAbt::TDlgAbt(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setWindowTitle("About");
  setFont(DialogFont());
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::ToolTipBase));
  palette.setColor(QPalette::WindowText, palette.color(QPalette::ToolTipText));
  setPalette(palette);
  setAutoFillBackground(true);

  pictureLabel = AddLabel(this, {0, 1, 48, 41});
  pictureLabel->setAlignment(Qt::AlignCenter);
  pictureLabel->setPixmap(skin::Image(7, 32));
  versionLabel = AddLabel(this, {51, 2, 297, 14});
  noticeLabel = AddLabel(this, {51, 19, 296, 13});
  noticeLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  noticeLabel->setWordWrap(true);
  noticeLabel->setText(kNotice);
  // The notice gets the lines it needs, whatever the font; the translation
  // line and the box's bottom move down with it.
  noticeLabel->setFixedHeight(std::max(kNoticeLineHeight, noticeLabel->heightForWidth(noticeLabel->width())));
  translationLabel = AddLabel(this, {51, noticeLabel->geometry().bottom() + 5, 297, 17});
  setFixedSize(kWidth, translationLabel->geometry().bottom() + 5);
}

std::string TDlgAbt::TranslationLine(const Translation& translation) {
  if (!translation.loaded || translation.author.empty()) return {};
  return translation.language + " translation by: " + translation.author + " Version: " + translation.version;
}

void TDlgAbt::ShowFor(const std::string& version, const Translation& translation) {
  translationLabel->setText(FromLatin1(TranslationLine(translation)));
  versionLabel->setText(FromLatin1(version));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  show();
  raise();
  activateWindow();
}

bool TDlgAbt::event(QEvent* event) {
  if (event->type() == QEvent::WindowDeactivate && isVisible()) close();
  return QDialog::event(event);
}

void TDlgAbt::mousePressEvent(QMouseEvent* event) {
  event->accept();
  close();
}
