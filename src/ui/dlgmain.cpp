#include "ui/dlgmain.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/linepage.h"

TDlg::TDlg(QWidget* parent) : QWidget(parent) {
  setWindowTitle(kCaption);
  auto* layout = new QVBoxLayout(this);
  PageControl1 = new QTabWidget(this);
  ListBox1 = new QListWidget;
  ListBox1->setToolTip("Client list");
  PageControl1->addTab(ListBox1, "");
  for (int line = 1; line <= kLines; ++line) {
    linePages_[line - 1] = new TLinePage(line);
    PageControl1->addTab(linePages_[line - 1], QString::number(line));
    PageControl1->setTabVisible(line, false);
  }
  PageControl1->setCurrentIndex(0);
  layout->addWidget(PageControl1);

  auto* bar = new QHBoxLayout;
  SBNo = new QToolButton;
  SBNo->setText("No");
  SBYes = new QToolButton;
  SBYes->setText("Yes");
  bar->addWidget(SBNo);
  bar->addStretch();
  bar->addWidget(SBYes);
  layout->addLayout(bar);

  connect(PageControl1, &QTabWidget::currentChanged, this, &TDlg::PageChanged);
  connect(SBYes, &QToolButton::clicked, this, &TDlg::ConnectClicked);
  connect(SBNo, &QToolButton::clicked, this, &TDlg::DisconnectClicked);
  SetCommandAvailability(false, false, true, false);
}

TLinePage& TDlg::LinePage(int line) const {
  return *linePages_.at(static_cast<std::size_t>(line - 1));
}

bool TDlg::IsTabShown(int page) const {
  return page == 0 || PageControl1->isTabVisible(page);
}

void TDlg::ShowTab(int page, bool shown) {
  if (page < 1 || page > kLines) return;
  PageControl1->setTabVisible(page, shown);
}

void TDlg::SetTabImage(int page, int image) {
  if (page < 0 || page > kLines) return;
  tabImages_[static_cast<std::size_t>(page)] = image;
  PageControl1->setTabToolTip(page, QString::number(image));
}

int TDlg::TabImage(int page) const {
  return page >= 0 && page <= kLines ? tabImages_[static_cast<std::size_t>(page)] : -1;
}

int TDlg::PageInFront() const {
  return PageControl1->currentIndex();
}

void TDlg::BringToFront(int page) {
  if (IsTabShown(page)) PageControl1->setCurrentIndex(page);
}

void TDlg::SetCommandAvailability(bool connect, bool disconnect, bool add, bool edit) {
  SBYes->setEnabled(connect);
  SBYes->setToolTip(connect ? "Connect" : "");
  SBNo->setEnabled(disconnect);
  SBNo->setToolTip(disconnect ? "Disconnect" : "");
  addEnabled_ = add;
  editEnabled_ = edit;
}

void TDlg::closeEvent(QCloseEvent* event) {
  if (closeHandler_ && !closeHandler_()) {
    event->ignore();
    return;
  }
  event->accept();
}
