#include "app/ccallreport.h"

#include "app/cappstate.h"
#include "audio/carrivalstats.h"
#include "audio/caudiopaths.h"
#include "audio/cdevicesp.h"
#include "core/mainwindowview.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "settings/clog.h"

void CCallReport::Tick() {
  const int front = state_.currentLine.load();
  const CClient* line = lines_.Line(front);
  const bool connected = line && line->State() == LineState::kConnected;
  if (line_ != 0 && (!connected || front != line_ || line->PeerAddress() != peer_)) End();
  if (!connected) return;
  if (line_ == 0) {
    Begin(front, line->PeerAddress());
    return;
  }
  if (line->RoundTripMs() >= 0) roundTripMs_ = line->RoundTripMs();
  latest_ = Measure(roundTripMs_);
  if (latest_) window_.ShowCallQuality(line_, static_cast<int>(latest_->mark) + 1, CallHint(*latest_));
}

void CCallReport::Begin(int line, const NetAddress& peer) {
  line_ = line;
  peer_ = peer;
  roundTripMs_ = -1;
  latest_.reset();
  if (CArrivalStats* arrivals = audio_.Arrivals()) arrivals->RequestReset();
  spool_ = audio_.Spool();
  before_ = spool_ ? spool_->Tally() : CSpoolSp::Counts{};
}

void CCallReport::End() {
  if (const std::optional<CallFigures> last = Measure(roundTripMs_)) {
    log_.Write("Call figures", CallSummary(*last));
  }
  window_.ShowCallQuality(line_, 0, "");
  line_ = 0;
  peer_ = {};
  latest_.reset();
}

std::optional<CallFigures> CCallReport::Measure(double roundTripMs) {
  CAudioPaths& audio = audio_;
  const CSpoolSp* spool = audio.Spool();
  CArrivalStats* arrivals = audio.Arrivals();
  if (!spool || !arrivals) return std::nullopt;
  if (spool != spool_) {
    spool_ = spool;
    before_ = {};
  }
  CallMeasures m;
  m.format = audio.Format();
  m.arrivals = arrivals->Snapshot();
  const CSpoolSp::Counts now = spool->Tally();
  m.spool = {now.played - before_.played, now.concealed - before_.concealed, now.silent - before_.silent,
             now.trimmed - before_.trimmed, now.late - before_.late};
  m.backlog = spool->Backlog();
  m.roundTripMs = roundTripMs;
  m.deviceMs = audio.Speaker() ? audio.Speaker()->ReportedDelaySeconds() * 1000.0 : 0.0;
  return ComposeCallFigures(m);
}
