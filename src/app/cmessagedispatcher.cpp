#include "app/cmessagedispatcher.h"

#include <cstdio>

#include "app/dispatchtargets.h"
#include "app/formatduration.h"
#include "audio/soundtypes.h"
#include "core/codes.h"
#include "core/mainwindowview.h"
#include "core/messageboxport.h"
#include "core/windowmessage.h"
#include "net/transport.h"
#include "settings/cparams.h"

namespace {

std::string Kilobytes(uint64_t bytes) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(bytes) * 0.001);
  return text;
}

}  // namespace

CMessageDispatcher::CMessageDispatcher(CAppState& state, MainWindowView& window, CParams& params,
                                       MessageBoxPort& boxes, DispatchTargets& targets)
    : state_(state), window_(window), params_(params), boxes_(boxes), targets_(targets) {}

void CMessageDispatcher::HandleCode(uint32_t code, int64_t wParam) {
  if (state_.quitting.load() >= 1) return;
  if (code::IsSpeexOption(code)) {
    SpeexOption(code, wParam);
    return;
  }
  const auto message = WindowMessageOf(code);
  const bool soundTypeAsked = code == code::kSoundTypeRequest || message == WindowMessage::kSwitchSoundType;
  // A sound-type request during a restart is dropped: the restart in
  // progress wins.
  if (soundTypeAsked && state_.restarting.load()) return;
  // A request for something that is no sound type (a peer's text that was
  // no number) would leave the program without audio until the next change.
  if (soundTypeAsked && !SoundTypeOf(wParam)) {
    RecomputeAvailability();
    return;
  }
  if (message) {
    ActOnMessage(*message, wParam);
  } else {
    ActOnCode(code, wParam);
  }
  RecomputeAvailability();
}

bool CMessageDispatcher::SpeexOption(uint32_t code, int64_t wParam) {
  const int line = CurrentLine();
  if (state_.speexSendMode != 0) {
    if (line == 0) return false;
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(wParam));
    targets_.SendSignalling(targets_.Line(line).peerAddress, code, text);
    return true;
  }
  targets_.ApplyRemoteSpeexOption(code, static_cast<int32_t>(wParam));
  return true;
}

void CMessageDispatcher::ActOnMessage(WindowMessage message, int64_t wParam) {
  const int line = CurrentLine();
  const auto address = static_cast<uint32_t>(wParam);
  switch (message) {
    case WindowMessage::kQuit:
      state_.quitting = 1;
      if (quit_) quit_();
      break;
    case WindowMessage::kCloseRequest:
      window_.RequestClose();
      break;
    case WindowMessage::kRepaintClientList:
      window_.RepaintClientList();
      break;
    case WindowMessage::kClientRemoved:
      window_.RemoveClientRow(static_cast<int>(wParam));
      SelectClientRow(window_.SelectedClientRow() < 0 ? 0 : window_.SelectedClientRow());
      break;
    case WindowMessage::kClientAdded:
      window_.AddClientRow();
      SelectClientRow(window_.ClientRowCount() - 1);
      break;
    case WindowMessage::kPresenceQueryReceived:
      targets_.ProbeReceived(address);
      break;
    case WindowMessage::kProbeClient:
      targets_.SendShort(address, code::kPresenceQuery);
      targets_.SendShort(address, line != 0 ? code::kBusyNotice : code::kFreeNotice);
      break;
    case WindowMessage::kPresenceReplyReceived:
      targets_.ReplyReceived(address);
      break;
    case WindowMessage::kSendPresenceReply:
      targets_.SendShort(address, code::kPresenceReply);
      break;
    case WindowMessage::kOfflineNoticeReceived:
      targets_.GoneOffline(address);
      targets_.RouteCode(address, code::kHangUp);
      break;
    case WindowMessage::kLineStarted: {
      const int page = static_cast<int>(wParam);
      // A line that starts ringing in is still idle while it says so; a
      // line already in use that is brought to the front is not.
      if (MainWindowView::IsLine(page)) {
        const LineView view = targets_.Line(page);
        if (!view.outgoing && view.state == LineState::kIdle) targets_.AnnounceIncomingCall(page);
      }
      window_.ShowTab(page, true);
      if (MainWindowView::IsLine(page)) state_.currentLine = page;
      window_.BringToFront(page);
      break;
    }
    case WindowMessage::kLineReleased: {
      window_.ShowTab(static_cast<int>(wParam), false);
      const int front = window_.PageInFront();
      state_.currentLine = MainWindowView::IsLine(front) ? front : 0;
      break;
    }
    case WindowMessage::kSpeexSendMode:
      state_.speexSendMode = static_cast<int>(wParam);
      break;
    case WindowMessage::kReloadPreBuffer:
      targets_.ReloadPreBuffer();
      break;
    case WindowMessage::kReloadScopeZoom:
      targets_.ReloadScopeZoom();
      break;
    case WindowMessage::kHangUpFront:
      if (const int front = window_.PageInFront(); MainWindowView::IsLine(front)) targets_.HangUp(front);
      break;
    case WindowMessage::kMixerLineChange:
    case WindowMessage::kMixerControlChange:
      targets_.MixerChanged(wParam);
      break;
    case WindowMessage::kReloadCodecLock:
      state_.lockCodec = params_.GetInt("lockCodec") != 0;
      break;
    case WindowMessage::kRestartAndAnnounce:
      targets_.RestartSound(state_.currentSndType.load(), true);
      break;
    case WindowMessage::kSwitchSoundType:
      targets_.RestartSound(*SoundTypeOf(wParam), true);
      break;
    case WindowMessage::kReloadFilters:
      targets_.ReloadFilters();
      break;
    case WindowMessage::kPeerName:
    case WindowMessage::kLineImage:
    case WindowMessage::kLineStatus:
    case WindowMessage::kScopeToggle:
      break;  // records, not codes
  }
}

// Codes of received datagrams, passed on as they came.
void CMessageDispatcher::ActOnCode(uint32_t code, int64_t wParam) {
  const int line = CurrentLine();
  const auto address = static_cast<uint32_t>(wParam);
  // Line codes, the unused ones among them, go to the line of their sender.
  if ((code >= code::kRinging && code <= code::kHangUpAck) || code == code::kKeepAlive) {
    targets_.RouteCode(address, code);
    // The answer starts the call's audio at once: waiting for the next tick
    // would cost the first words up to a tick's length.
    if ((code == code::kAnswer || code == code::kAnswerConfirmation) && line != 0 && !state_.restarting.load() &&
        targets_.Line(line).state == LineState::kConnected) {
      targets_.OpenDevices();
    }
    return;
  }
  switch (code) {
    case code::kNameRequest:
      if (line != 0) {
        std::string name;
        if (!params_.GetString("userName", name)) name = net::AddressText(targets_.OwnAddress());
        targets_.SendSignalling(targets_.Line(line).peerAddress, code::kNameReply, name);
      }
      break;
    case code::kBusyNotice:
      targets_.BusyChanged(address, true);
      break;
    case code::kFreeNotice:
      targets_.BusyChanged(address, false);
      break;
    case code::kRejection:
      Rejected(address);
      break;
    case code::kSoundTypeRequest:
      // A side that locks its sound type does not follow a peer's request;
      // it refuses the call when the peer's audio comes in another type.
      if (state_.lockCodec.load()) break;
      if (*SoundTypeOf(wParam) != state_.currentSndType.load())
        targets_.RestartSound(*SoundTypeOf(wParam), false);
      break;
    default:
      break;
  }
}

void CMessageDispatcher::HandleRecord(uint32_t code, Record record) {
  if (state_.quitting.load() > 0) return;  // the record goes with the message
  const int line = CurrentLine();
  const auto message = WindowMessageOf(code);
  if (const auto* text = std::get_if<TextRecord>(&record)) {
    if (message == WindowMessage::kPeerName) window_.ShowPeerName(text->number, text->text);
    if (code == code::kCallRequest)
      targets_.AcceptCallRequest(static_cast<uint32_t>(text->number), text->text);
    if (code == code::kNameReply && line != 0) {
      targets_.TakePeerName(line, static_cast<uint32_t>(text->number), text->text);
    }
  } else if (const auto* pair = std::get_if<PairRecord>(&record)) {
    if (message == WindowMessage::kLineImage) window_.SetTabImage(pair->line, pair->value);
    if (message == WindowMessage::kLineStatus) RefreshLine(pair->line, pair->value);
    if (message == WindowMessage::kScopeToggle) ToggleScope(pair->line);
  }
  RecomputeAvailability();
}

void CMessageDispatcher::HandleCommand(int command, TextRecord record) {
  if (state_.quitting.load() > 0) return;
  switch (command) {
    case 2:
      targets_.PlaceCall(2, static_cast<uint32_t>(record.number), record.text);
      break;
    case 3:
      targets_.HangUp(2);
      break;
    case 5:
      // Kept at once: the port is for the next start, whenever that comes.
      params_.SetInt("netPort", record.number);
      params_.Save();
      break;
    default:
      break;
  }
}

void CMessageDispatcher::Rejected(uint32_t address) {
  // Anybody can send a rejection; only the peer of a call this side places
  // or holds may end it, and only once: the line is free after it.
  for (int line = 1; line <= MainWindowView::kLines; ++line) {
    const LineView view = targets_.Line(line);
    const bool callingOut =
        view.outgoing && (view.state == LineState::kCalling || view.state == LineState::kRinging);
    if (view.peerAddress != address || address == 0 || !(callingOut || view.state == LineState::kConnected)) {
      continue;
    }
    targets_.HangUp(line);
    boxes_.ShowInfo("Restricted access. " + net::AddressText(address) + " denied connection.");
    return;
  }
  targets_.Log("Rejection without a call dropped", address);
}

void CMessageDispatcher::RefreshLine(int line, int seconds) {
  if (!MainWindowView::IsLine(line) || !window_.IsTabShown(line)) return;
  if (params_.GetInt("ScopeOn") != 0 && !window_.ScopeShown(line)) ToggleScope(line);
  const bool filterOn = params_.GetInt("FilterBp") != 0;
  if (filterOn != window_.FilterShownOn(line)) window_.ShowFilterOn(line, filterOn);
  const LineTraffic traffic = targets_.TakeTraffic(line);
  MainWindowView::LineValues values;
  values.onLine = FormatDuration(seconds);
  values.received = Kilobytes(traffic.received);
  values.sent = Kilobytes(traffic.sent);
  values.address = net::AddressText(targets_.Line(line).peerAddress);
  values.soundType = SoundTypeName(state_.currentSndType.load());
  window_.SetLineValues(line, values);
}

void CMessageDispatcher::ToggleScope(int line) {
  if (!MainWindowView::IsLine(line) || !window_.IsTabShown(line)) return;
  const bool shown = !window_.ScopeShown(line);
  window_.ShowScope(line, shown);
  params_.SetInt("ScopeOn", shown ? 1 : 0);
  if (!shown) targets_.UnfreezeScope();
}

void CMessageDispatcher::SelectClientRow(int row) {
  window_.SelectClientRow(row);
  targets_.ClientSelected(window_.SelectedClientRow());
  window_.RepaintClientList();
}

void CMessageDispatcher::RecomputeAvailability() {
  if (state_.quitting.load() > 0 || state_.shownOnce == 0) return;
  MainWindowView::Availability can;
  const int front = window_.PageInFront();
  if (MainWindowView::IsLine(front)) {
    state_.currentLine = front;
    const LineView line = targets_.Line(front);
    can.add = line.state != LineState::kIdle && !targets_.IsClient(line.peerAddressText);
    can.disconnect = line.canHangUp;
    can.connect = line.canAnswer;
  } else if (front == 0) {
    const int row = window_.SelectedClientRow();
    if (row >= 0 && targets_.HasClientAt(row)) can.connect = can.edit = true;
  }
  window_.SetCommandAvailability(can);
}
