#pragma once

#include <functional>

#include "settings/clientlistobserver.h"

class MainWindowView;

// Keeps the window's client rows with the client list: a new client's row
// is added and selected, a removed one's row goes and the first row is
// selected where none is, and the marks are drawn afresh when they change.
// Whoever follows the selection (the client dialog) is told. Main thread.
class CClientListPresenter : public ClientListObserver {
 public:
  // recompute: asks again what may be done on the page in front.
  CClientListPresenter(MainWindowView& window, std::function<void()> recompute)
      : window_(window), recompute_(std::move(recompute)) {}

  void SetSelectionFollower(std::function<void(int row)> follower) { follower_ = std::move(follower); }

  void ClientAdded() override;
  void ClientRemoved(int row) override;
  void MarksChanged() override;

 private:
  void Select(int row);

  MainWindowView& window_;
  std::function<void()> recompute_;
  std::function<void(int)> follower_;
};
