#include "ui/dlgmain.h"

#include <QCloseEvent>

TDlg::TDlg(QWidget* parent) : QWidget(parent) { setWindowTitle(kCaption); }

void TDlg::closeEvent(QCloseEvent* event) {
  if (closeHandler_ && !closeHandler_()) {
    event->ignore();
    return;
  }
  event->accept();
}
