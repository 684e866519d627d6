#include "app/cstatussnapshot.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/cappstate.h"
#include "app/ccallreport.h"
#include "audio/callfigures.h"
#include "audio/caudiopaths.h"
#include "audio/cdevicemc.h"
#include "audio/cdevicesp.h"
#include "audio/cspoolsp.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "settings/ccontact.h"
#include "settings/ccontacts.h"
#include "ui/bottombar.h"
#include "ui/dlgmain.h"

CStatusSnapshot::CStatusSnapshot(const Parts& parts, std::filesystem::path file)
    : parts_(parts), file_(std::move(file)) {
  timer_.setInterval(kIntervalMs);
  connect(&timer_, &QTimer::timeout, this, &CStatusSnapshot::Write);
  timer_.start();
}

std::filesystem::path CStatusSnapshot::FileFromEnvironment() {
  const char* file = std::getenv("ONDREL_STATUS_FILE");
  return file && *file ? std::filesystem::path(file) : std::filesystem::path();
}

namespace {

long Milliseconds(double seconds) {
  return std::lround(seconds * 1000);
}

}  // namespace

std::string CStatusSnapshot::Text() const {
  std::ostringstream text;
  const CAppState& state = parts_.state;
  const TDlg& window = parts_.window;
  text << "sndtype " << WireCode(state.currentSndType.load()) << "\n";
  text << "current " << state.currentLine.load() << "\n";
  text << "window " << (window.isHidden() ? "hidden" : window.isMinimized() ? "minimised" : "shown") << "\n";
  text << "lamps system_key " << window.BottomBar().SystemKeyLampOn() << " restart "
       << window.BottomBar().RestartLampOn() << "\n";
  text << "sliders speaker " << state.speakerSlider << " enabled " << state.speakerSliderEnabled
       << " microphone " << state.micSlider << " enabled " << state.micSliderEnabled << " muted "
       << state.speakerMuted.load() << " " << state.micMuted.load() << "\n";
  for (std::size_t row = 0; row < parts_.contacts.Count(); ++row) {
    const CContact* client = parts_.contacts.At(static_cast<int>(row));
    text << "client " << client->Ip() << " online " << client->IsOnline() << " busy " << client->IsBusy()
         << " name " << client->Name() << "\n";
  }
  for (int n = 1; n <= 2; ++n) {
    if (const CClient* line = parts_.lines.Line(n)) {
      text << "line " << n << " state " << WireCode(line->State()) << " peer " << line->PeerAddressText()
           << " name " << line->PeerName() << "\n";
      text << "page " << n << " soundtype " << window.ShownSoundType(n) << "\n";
    }
  }
  if (parts_.callReport.Latest()) {
    const CallFigures& f = *parts_.callReport.Latest();
    text << "call received " << f.received << " lost " << f.lost << " late " << f.late << " concealed "
         << f.concealed << " trimmed " << f.trimmed << " jitter_ms " << std::lround(f.jitterMs) << " rtt_ms "
         << std::lround(f.roundTripMs) << " delay_ms " << std::lround(f.mouthToEarMs) << " playout_frames "
         << f.playoutFrames << " rating " << std::lround(f.rating) << " mark " << MarkName(f.mark) << "\n";
  }
  const CAudioPaths& audio = parts_.audio;
  if (audio.Speaker() && audio.Speaker()->IsOpen()) {
    const CDeviceSp& speaker = *audio.Speaker();
    if (const CSpoolSp* spool = audio.Spool()) {
      const CSpoolSp::Counts counts = spool->Tally();
      text << "spool backlog " << spool->Backlog() << " played " << counts.played << " concealed "
           << counts.concealed << " silent " << counts.silent << " trimmed " << counts.trimmed << " late "
           << counts.late << "\n";
    }
    text << "speaker asked_ms " << Milliseconds(speaker.OpenLatencySeconds()) << " heard_ms "
         << Milliseconds(speaker.ReportedDelaySeconds()) << " spooled "
         << (audio.Spool() ? audio.Spool()->Backlog() : 0) << " on_chosen " << speaker.OnChosenDevice()
         << " losses " << speaker.DeviceLosses() << "\n";
  }
  if (audio.Mic() && audio.Mic()->IsOpen()) {
    const CDeviceMc& mic = *audio.Mic();
    text << "microphone heard_ms " << Milliseconds(mic.ReportedDelaySeconds()) << " on_chosen "
         << mic.OnChosenDevice() << " losses " << mic.DeviceLosses() << "\n";
  }
  return text.str();
}

void CStatusSnapshot::Write() {
  const std::string text = Text();
  if (text == written_) return;
  const std::filesystem::path temp = file_.string() + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!(out << text)) return;
  }
  std::error_code ec;
  std::filesystem::rename(temp, file_, ec);
  if (!ec) written_ = text;
}
