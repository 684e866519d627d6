#include <gtest/gtest.h>

#include <QListWidget>
#include <vector>

#include "app/cclientlistpresenter.h"
#include "ui/clientlist.h"
#include "ui/dlgmain.h"

namespace {

TEST(CClientListPresenterTest, RowsFollowAddsAndRemovesAndTheSelectionIsFollowed) {
  TDlg window;
  int recomputed = 0;
  std::vector<int> followed;
  CClientListPresenter presenter(window, [&] { ++recomputed; });
  presenter.SetSelectionFollower([&](int row) { followed.push_back(row); });
  presenter.ClientAdded();
  presenter.ClientAdded();
  EXPECT_EQ(window.ClientList().count(), 2);
  EXPECT_EQ(window.ClientList().currentRow(), 1);
  presenter.ClientRemoved(1);
  EXPECT_EQ(window.ClientList().count(), 1);
  EXPECT_EQ(window.ClientList().currentRow(), 0);
  EXPECT_EQ(followed, (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(recomputed, 3);
  presenter.MarksChanged();
  EXPECT_EQ(recomputed, 3);
}

}  // namespace
