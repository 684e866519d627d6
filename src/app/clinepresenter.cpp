#include "app/clinepresenter.h"

#include <cstdio>

#include "app/formatduration.h"
#include "audio/soundtypes.h"
#include "core/mainwindowview.h"
#include "core/settingnames.h"
#include "net/cclient.h"
#include "settings/cparams.h"

namespace {

std::string Kilobytes(uint64_t bytes) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(bytes) * 0.001);
  return text;
}

}  // namespace

CLinePresenter::CLinePresenter(CAppState& state, MainWindowView& window, CParams& params,
                               std::function<void()> recompute)
    : state_(state), window_(window), params_(params), recompute_(std::move(recompute)) {}

void CLinePresenter::LineStarted(const CClient& line) {
  if (Quitting()) return;
  const int page = line.LineNumber();
  // A line that starts ringing in is still idle while it says so; a line
  // already in use that is brought to the front is not.
  if (line.IsIncoming() && line.State() == LineState::kIdle && ringingIn_)
    ringingIn_(line.PeerName().empty() ? line.PeerAddressText() : line.PeerName());
  window_.ShowTab(page, true);
  state_.currentLine = page;
  window_.BringToFront(page);
  recompute_();
}

void CLinePresenter::LineReleased(const CClient& line) {
  if (Quitting()) return;
  window_.ShowTab(line.LineNumber(), false);
  const int front = window_.PageInFront();
  state_.currentLine = MainWindowView::IsLine(front) ? front : 0;
  window_.ShowLineState(line.LineNumber(), LineState::kIdle);
  recompute_();
}

void CLinePresenter::PeerNameChanged(const CClient& line) {
  if (Quitting()) return;
  window_.ShowPeerName(line.LineNumber(), line.PeerName());
  recompute_();
}

void CLinePresenter::StateShown(const CClient& line, LineState state) {
  if (Quitting()) return;
  window_.ShowLineState(line.LineNumber(), state);
  recompute_();
}

void CLinePresenter::CallAge(CClient& line, int64_t seconds) {
  const int page = line.LineNumber();
  if (Quitting() || !window_.IsTabShown(page)) return;
  if (params_.GetInt(setting::kScopeOn) != 0 && !window_.ScopeShown(page)) ToggleScope(page);
  const bool filterOn = params_.GetInt(setting::kFilterBp) != 0;
  if (filterOn != window_.FilterShownOn(page)) window_.ShowFilterOn(page, filterOn);
  MainWindowView::LineValues values;
  values.onLine = FormatDuration(static_cast<int>(seconds));
  // The counts start again at each refresh, so they read per second.
  values.received = Kilobytes(line.TakeRxBytes());
  values.sent = Kilobytes(line.TakeTxBytes());
  values.address = line.PeerAddressText();
  values.soundType = SoundTypeName(state_.currentSndType.load());
  window_.SetLineValues(page, values);
  recompute_();
}

void CLinePresenter::Connected(const CClient& line) {
  // Only the current line's audio flows; a restart opens the devices itself.
  if (Quitting() || line.LineNumber() != state_.currentLine.load() || state_.restarting.load()) return;
  if (connected_) connected_(line.LineNumber());
}

void CLinePresenter::ToggleScope(int line) {
  if (!MainWindowView::IsLine(line) || !window_.IsTabShown(line)) return;
  const bool shown = !window_.ScopeShown(line);
  window_.ShowScope(line, shown);
  params_.SetInt(setting::kScopeOn, shown ? 1 : 0);
  if (!shown) window_.UnfreezeScope();
}
