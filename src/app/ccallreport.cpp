#include "app/ccallreport.h"

#include "app/cobjectgraph.h"
#include "audio/carrivalstats.h"
#include "audio/caudiopaths.h"
#include "audio/cdevicesp.h"
#include "net/cclient.h"
#include "settings/clog.h"
#include "ui/dlgmain.h"

void CCallReport::Tick() {
  const int front = graph_.state.currentLine.load();
  const CClient* line = graph_.Line(front);
  const bool connected = line && line->State() == LineState::kConnected && graph_.audio;
  if (line_ != 0 && (!connected || front != line_ || line->PeerAddress() != peer_)) End();
  if (!connected) return;
  if (line_ == 0) {
    Begin(front, line->PeerAddress());
    return;
  }
  if (line->RoundTripMs() >= 0) roundTripMs_ = line->RoundTripMs();
  latest_ = Measure(roundTripMs_);
  if (latest_ && graph_.window) {
    graph_.window->ShowCallQuality(line_, static_cast<int>(latest_->mark) + 1, CallHint(*latest_));
  }
}

void CCallReport::Begin(int line, const NetAddress& peer) {
  line_ = line;
  peer_ = peer;
  roundTripMs_ = -1;
  latest_.reset();
  if (CArrivalStats* arrivals = graph_.audio->Arrivals()) arrivals->RequestReset();
  spool_ = graph_.audio->Spool();
  before_ = spool_ ? spool_->Tally() : CSpoolSp::Counts{};
}

void CCallReport::End() {
  if (const std::optional<CallFigures> last = Measure(roundTripMs_)) {
    if (graph_.log) graph_.log->Write("Call figures", CallSummary(*last));
  }
  if (graph_.window) graph_.window->ShowCallQuality(line_, 0, "");
  line_ = 0;
  peer_ = {};
  latest_.reset();
}

std::optional<CallFigures> CCallReport::Measure(double roundTripMs) {
  CAudioPaths& audio = *graph_.audio;
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
