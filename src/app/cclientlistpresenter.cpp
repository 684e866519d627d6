#include "app/cclientlistpresenter.h"

#include "core/mainwindowview.h"

void CClientListPresenter::ClientAdded() {
  window_.AddClientRow();
  Select(window_.ClientRowCount() - 1);
}

void CClientListPresenter::ClientRemoved(int row) {
  window_.RemoveClientRow(row);
  Select(window_.SelectedClientRow() < 0 ? 0 : window_.SelectedClientRow());
}

void CClientListPresenter::MarksChanged() {
  window_.RepaintClientList();
}

void CClientListPresenter::Select(int row) {
  window_.SelectClientRow(row);
  if (follower_) follower_(window_.SelectedClientRow());
  window_.RepaintClientList();
  if (recompute_) recompute_();
}
