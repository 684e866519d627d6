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
  infoPanel = new QWidget(this);
  auto* info = new QGridLayout(infoPanel);
  info->setContentsMargins(0, 0, 0, 0);
  AddLabel(info, "OnLine:", 0, 0)->setObjectName("OnLineCaption");
  onLineValue = AddLabel(info, "", 0, 1);
  AddLabel(info, "Tx kB/s:", 1, 0)->setObjectName("TxCaption");
  txValue = AddLabel(info, "", 1, 1);
  grid->addWidget(infoPanel, 0, 0, 2, 1);

  scopeView = new QWidget(this);
  scopeView->setToolTip("Click to freeze scope");
  scopeView->setMinimumSize(100, 36);
  scopeView->hide();
  grid->addWidget(scopeView, 0, 0, 2, 1);

  AddLabel(grid, "IP:", 0, 1);
  ipValue = AddLabel(grid, "", 0, 2);
  AddLabel(grid, "Rx kB/s:", 1, 1)->setObjectName("RxCaption");
  rxValue = AddLabel(grid, "", 1, 2);

  scopeButton = new QToolButton(this);
  scopeButton->setToolTip("Scope On/Off");
  scopeButton->setCheckable(false);
  grid->addWidget(scopeButton, 0, 3);
  filterButton = new QToolButton(this);
  filterButton->setToolTip("Bandpass filter On/Off");
  grid->addWidget(filterButton, 1, 3);

  peerLabel = AddLabel(grid, "", 2, 0);
  QFont bold = peerLabel->font();
  bold.setBold(true);
  peerLabel->setFont(bold);
  soundTypeLabel = AddLabel(grid, "", 2, 1);
  soundTypeLabel->setFont(bold);

  connect(scopeButton, &QToolButton::clicked, this, &TLinePage::ScopeButtonClicked);
  connect(filterButton, &QToolButton::clicked, this, &TLinePage::FilterButtonClicked);
  SetFilterOn(false);
}

void TLinePage::SetFilterOn(bool on) {
  filterOn_ = on;
  filterButton->setText(on ? "F+" : "F");
}

bool TLinePage::ScopeShown() const {
  return !scopeView->isHidden();
}

void TLinePage::ShowScope(bool shown) {
  scopeView->setHidden(!shown);
  infoPanel->setHidden(shown);
  scopeButton->setText(shown ? "S+" : "S");
}
