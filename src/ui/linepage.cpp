#include "ui/linepage.h"

#include <QGridLayout>
#include <QLabel>
#include <QToolButton>

namespace {

QLabel* AddLabel(QGridLayout* grid, const QString& text, int row, int column) {
  auto* label = new QLabel(text);
  grid->addWidget(label, row, column);
  return label;
}

}  // namespace

TLinePage::TLinePage(int line, QWidget* parent) : QWidget(parent), line_(line) {
  auto* grid = new QGridLayout(this);
  InfoPanel = new QWidget(this);
  auto* info = new QGridLayout(InfoPanel);
  info->setContentsMargins(0, 0, 0, 0);
  AddLabel(info, "OnLine:", 0, 0)->setObjectName("OnLineCaption");
  OnLineValue = AddLabel(info, "", 0, 1);
  AddLabel(info, "Tx kB/s:", 1, 0)->setObjectName("TxCaption");
  TxValue = AddLabel(info, "", 1, 1);
  grid->addWidget(InfoPanel, 0, 0, 2, 1);

  ScopeView = new QWidget(this);
  ScopeView->setToolTip("Click to freeze scope");
  ScopeView->setMinimumSize(100, 36);
  ScopeView->hide();
  grid->addWidget(ScopeView, 0, 0, 2, 1);

  AddLabel(grid, "IP:", 0, 1);
  IpValue = AddLabel(grid, "", 0, 2);
  AddLabel(grid, "Rx kB/s:", 1, 1)->setObjectName("RxCaption");
  RxValue = AddLabel(grid, "", 1, 2);

  ScopeButton = new QToolButton(this);
  ScopeButton->setToolTip("Scope On/Off");
  ScopeButton->setCheckable(false);
  grid->addWidget(ScopeButton, 0, 3);
  FilterButton = new QToolButton(this);
  FilterButton->setToolTip("Bandpass filter On/Off");
  grid->addWidget(FilterButton, 1, 3);

  PeerLabel = AddLabel(grid, "", 2, 0);
  QFont bold = PeerLabel->font();
  bold.setBold(true);
  PeerLabel->setFont(bold);
  CodecLabel = AddLabel(grid, "", 2, 1);
  CodecLabel->setFont(bold);

  connect(ScopeButton, &QToolButton::clicked, this, &TLinePage::ScopeButtonClicked);
  connect(FilterButton, &QToolButton::clicked, this, &TLinePage::FilterButtonClicked);
  SetFilterOn(false);
}

void TLinePage::SetFilterOn(bool on) {
  filterOn_ = on;
  FilterButton->setText(on ? "F+" : "F");
}

bool TLinePage::ScopeShown() const {
  return !ScopeView->isHidden();
}

void TLinePage::ShowScope(bool shown) {
  ScopeView->setHidden(!shown);
  InfoPanel->setHidden(shown);
  ScopeButton->setText(shown ? "S+" : "S");
}
