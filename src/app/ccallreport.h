#pragma once

#include <cstdint>
#include <optional>

#include "audio/callfigures.h"
#include "audio/cspoolsp.h"
#include "core/netaddress.h"

struct CAppState;
class CAudioPaths;
class CClients;
class CLog;
class MainWindowView;

// The figures of the call on the line in front: started afresh when a call
// connects there, shown on its page once a second, and written to the
// connection log as one line when it ends. Main thread.
class CCallReport {
 public:
  CCallReport(const CAppState& state, const CClients& lines, CAudioPaths& audio, CLog& log,
              MainWindowView& window)
      : state_(state), lines_(lines), audio_(audio), log_(log), window_(window) {}

  // Once a second, from the heartbeat.
  void Tick();
  // The running call's figures as last shown; none between calls.
  const std::optional<CallFigures>& Latest() const { return latest_; }

 private:
  void Begin(int line, const NetAddress& peer);
  void End();
  std::optional<CallFigures> Measure(double roundTripMs);

  const CAppState& state_;
  const CClients& lines_;
  CAudioPaths& audio_;
  CLog& log_;
  MainWindowView& window_;
  int line_ = 0;
  NetAddress peer_;
  double roundTripMs_ = -1;
  // The spool counts from before the call, and the spool they belong to: a
  // change of sound type during the call brings a new spool counting from 0.
  const CSpoolSp* spool_ = nullptr;
  CSpoolSp::Counts before_;
  std::optional<CallFigures> latest_;
};
