#include "net/cclients.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/boundedtext.h"
#include "core/codes.h"
#include "core/keycipher.h"
#include "core/messageboxport.h"
#include "net/cclient.h"
#include "net/cudpsocket.h"
#include "net/datagramwriter.h"
#include "net/transport.h"
#include "settings/clientdirectory.h"
#include "settings/clog.h"

namespace {

// Shorter texts cannot be an address; an unset automatic call is "".
constexpr std::size_t kLongestNonAddress = 4;

// A request carries a password when exactly four letters of the set "L",
// "l" open it. Peers rely on this count, not on the literal prefix, so
// "LLLLx" carries one and "LllLL..." does not.
bool CarriesPassword(std::string_view request) {
  const std::size_t letters = std::min(request.find_first_not_of("Ll"), request.size());
  return letters == CClient::kPasswordPrefix.size();
}

// Both sides' passwords are cut to what a caller's request can hold, so a
// long password still matches its own copy, then compared as zero-ended
// texts after decoding.
std::string DecodedPassword(std::string_view encoded) {
  std::string key = BoundedText(encoded, CClient::kMaxPasswordChars);
  keycipher::DecodeKey(key);
  return BoundedText(key, CClient::kMaxPasswordChars);
}

}  // namespace

CClients::CClients(CClient& line1, CClient& line2, CallSettings settings, CLog& log, ClientDirectory& clients,
                   MessageBoxPort& boxes, const net::CUdpSocket& socket, WallClock clock)
    : lines_{&line1, &line2},
      settings_(settings),
      log_(log),
      clients_(clients),
      boxes_(boxes),
      socket_(socket),
      clock_(std::move(clock)) {}

void CClients::TickAll() {
  const int64_t now = clock_();
  int64_t passed = 0;
  if (now != lastTickSecond_) {
    lastTickSecond_ = now;
    passed = now;
  }
  for (CClient* line : lines_) line->Tick(passed);
}

CClient* CClients::ChooseLine(const NetAddress& address) {
  // A free line's peer is none too: no address must pick it as "its" line.
  // The unspecified address names no peer: a datagram sent there is this
  // computer's own.
  if (address.IsNone() || address.IsUnspecified()) return nullptr;
  CClient* chosen = nullptr;
  for (CClient* line : lines_) {
    if (line->PeerAddress().SameHost(address)) return line;
    if (line->IsFree()) chosen = line;
  }
  return chosen;
}

void CClients::PlaceCall(const std::string& addressText, std::string_view name) {
  const NetAddress address = NetAddress::Parse(addressText);
  if (CClient* line = ChooseLine(address)) line->CallOut(address, name);
}

void CClients::AcceptCall(const NetAddress& address, std::string_view name) {
  // Answered on the netPort, as every peer listens there.
  if (CClient* line = ChooseLine(address)) line->Incoming(address.Host(), name);
}

void CClients::RouteCode(const NetAddress& address, uint32_t c) {
  if (CClient* line = LineOf(address)) line->ReceiveCode(c);
}

CClient* CClients::LineOf(const NetAddress& address) const {
  if (address.IsNone()) return nullptr;
  const auto it = std::find_if(lines_.begin(), lines_.end(),
                               [&](const CClient* line) { return line->PeerAddress().SameHost(address); });
  return it == lines_.end() ? nullptr : *it;
}

bool CClients::EndRefusedCall(const NetAddress& from) {
  for (CClient* line : lines_) {
    const LineState state = line->State();
    const bool callingOut = !line->IsIncoming() && (state == LineState::kCalling || state == LineState::kRinging);
    if (from.IsNone() || !line->PeerAddress().SameHost(from) ||
        !(callingOut || state == LineState::kConnected))
      continue;
    line->HangUp();
    return true;
  }
  return false;
}

bool CClients::AnyRinging() const {
  return std::any_of(lines_.begin(), lines_.end(),
                     [](const CClient* line) { return line->State() == LineState::kRinging; });
}

void CClients::ReceiveCallRequest(const NetAddress& address, std::string_view text) {
  if (address.IsNone()) return;
  const std::string request = BoundedText(text, datagram::kMaxTextChars);
  const bool password = CarriesPassword(request);
  if (settings_.PasswordOn() && !(password && PasswordAccepted(request))) {
    Refuse(address, "Remote password rejected");
    return;
  }
  const std::optional<std::string> client = clients_.NameOf(address);
  if (!client && settings_.OnlyClientsMayCall()) {
    Refuse(address, "Remote rejected, not in client list");
    return;
  }
  // A password is never shown, not even when no password is asked for.
  AcceptCall(address, client ? *client : password ? std::string(kHiddenName) : request);
}

bool CClients::PasswordAccepted(std::string_view request) {
  return DecodedPassword(settings_.StoredPassword()) ==
         DecodedPassword(request.substr(CClient::kPasswordPrefix.size()));
}

void CClients::Refuse(const NetAddress& address, std::string_view reason) {
  if (address.IsNone()) return;
  const auto bytes = datagram::BuildShort(code::kRejection);
  socket_.Send(address.Host(), bytes);
  log_.Write(reason, address.Text());
}

void CClients::AutoCallOut() {
  if (autoCallDone_) return;
  autoCallDone_ = true;
  const std::string stored = settings_.AutoCallAddress();
  if (stored.size() <= kLongestNonAddress) return;
  const NetAddress address = NetAddress::Parse(stored);
  if (address.IsNone()) return;
  const std::optional<std::string> name = clients_.NameOf(address);
  if (!name) return;
  const std::string target = address.Text();
  if (!settings_.AutoCallWithDns()) {
    CallAutomatically(target);
    return;
  }
  resolver_->Resolve(*name, [this, target, name = *name](const std::vector<NetAddress>& found) {
    if (found.empty()) {
      boxes_.ShowError(HostResolver::kNotFound);
      CallAutomatically(target);
      return;
    }
    // The start-up call goes to the stored address when the one found
    // cannot be taken; the log says why.
    const std::string resolved = found.front().Text();
    const std::string refused = Readdress(target, name, resolved);
    if (!refused.empty()) log_.Write(refused, resolved);
    CallAutomatically(refused.empty() ? resolved : target);
  });
}

void CClients::ConnectWithDns(const std::string& addressText, const std::string& name) {
  // A qualified name has a dot somewhere from its third character on.
  if (const auto dot = name.find('.'); dot == std::string::npos || dot < 2) {
    boxes_.ShowInfo(name + " is not a qualified domain name. Aborting.");
    return;
  }
  // The call is placed when the answer comes; the window goes on meanwhile.
  resolver_->Resolve(name, [this, addressText, name](const std::vector<NetAddress>& found) {
    if (found.empty()) {
      boxes_.ShowError(HostResolver::kNotFound);
      return;
    }
    const std::string resolved = found.front().Text();
    if (const std::string refused = Readdress(addressText, name, resolved); !refused.empty()) {
      boxes_.ShowInfo(refused);
      return;
    }
    PlaceCall(resolved, name);
  });
}

void CClients::CallAutomatically(const std::string& addressText) {
  if (const std::optional<std::string> callee = clients_.NameOf(NetAddress::Parse(addressText))) {
    PlaceCall(addressText, *callee);
  }
}

std::string CClients::Readdress(const std::string& addressText, const std::string& name,
                                const std::string& found) {
  const std::string nothing = ". Nothing was changed.";
  if (isOwn_ && isOwn_(NetAddress::Parse(found)))
    return name + " resolves to " + found + ", an address of this computer" + nothing;
  // Asked before the change: the client found must not be this one.
  const std::optional<std::string> holder = clients_.NameOf(NetAddress::Parse(found));
  switch (clients_.ChangeAddress(addressText, found)) {
    case ClientDirectory::AddressChange::kDone:
      return "";
    case ClientDirectory::AddressChange::kTaken:
      return name + " resolves to " + found + ", the address of the client " + holder.value_or("") + nothing;
    case ClientDirectory::AddressChange::kRefused:
      return name + " resolves to " + found + ", which no client can have" + nothing;
    case ClientDirectory::AddressChange::kNotAClient:
      break;
  }
  return name + " is no longer a client" + nothing;
}
