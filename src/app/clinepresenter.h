#pragma once

#include <functional>
#include <string>

#include "app/cappstate.h"
#include "net/lineobserver.h"

class CParams;
class MainWindowView;

// Shows the call lines on the main window as they tell of themselves: a
// line's page and tab come and go with its call, the page shows the peer's
// name, and once a second the call's age, traffic, address and sound type.
// A line that starts becomes the current line; one that ends hands that to
// the page then in front. Main thread.
class CLinePresenter : public LineObserver {
 public:
  // recompute: asks again what may be done on the page in front.
  CLinePresenter(CAppState& state, MainWindowView& window, CParams& params, std::function<void()> recompute);

  // What else a call ringing in (with the caller's name) and the current
  // line's call coming up (not during a restart, which opens the devices
  // itself) set going: the program's business, told here.
  void SetRingingInAction(std::function<void(const std::string& caller)> action) {
    ringingIn_ = std::move(action);
  }
  void SetConnectedAction(std::function<void(int line)> action) { connected_ = std::move(action); }

  void LineStarted(const CClient& line) override;
  void LineReleased(const CClient& line) override;
  void PeerNameChanged(const CClient& line) override;
  void StateShown(const CClient& line, LineState state) override;
  void CallAge(CClient& line, int64_t seconds) override;
  void Connected(const CClient& line) override;

  // Shows or hides the scope of a line whose tab is shown.
  void ToggleScope(int line);

 private:
  bool Quitting() const { return state_.quitting.load() > 0; }

  CAppState& state_;
  MainWindowView& window_;
  CParams& params_;
  std::function<void()> recompute_;
  std::function<void(const std::string&)> ringingIn_;
  std::function<void(int)> connected_;
};
