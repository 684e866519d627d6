#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/hostresolver.h"
#include "core/netaddress.h"
#include "net/cblockingresolver.h"
#include "net/wallclock.h"
#include "settings/callsettings.h"

class CClient;
class CLog;
class ClientDirectory;
class MessageBoxPort;
namespace net {
class CUdpSocket;
}

// The program's two call lines as one set: ticks them, chooses the line for
// every call placed or received, routes each signalling code to the line
// whose peer sent it, and guards incoming call requests with the connection
// password and the client-list restriction. Main thread only, except Refuse.
class CClients {
 public:
  // Shown instead of the request text when that carries a password.
  static constexpr std::string_view kHiddenName = "...";

  CClients(CClient& line1, CClient& line2, CallSettings settings, CLog& log, ClientDirectory& clients,
           MessageBoxPort& boxes, const net::CUdpSocket& socket, WallClock clock = SystemSeconds);
  CClients(const CClients&) = delete;
  CClients& operator=(const CClients&) = delete;

  // Once per heartbeat second: line 1, then line 2.
  void TickAll();

  // The line already talking to the address, else the last free line, else
  // none: a repeated request reaches the line that already has its caller,
  // and a second call to a peer only brings its line to the front.
  CClient* ChooseLine(const NetAddress& address);
  void PlaceCall(const std::string& addressText, std::string_view name);
  // No line free: the request is dropped without a reply, and the caller
  // repeats it until it gives up.
  void AcceptCall(const NetAddress& address, std::string_view name);
  void RouteCode(const NetAddress& address, uint32_t code);
  bool AnyRinging() const;
  // The line in a call with the address, or none.
  CClient* LineOf(const NetAddress& address) const;
  // A peer's rejection: anybody can send one, so only the peer of a call
  // this side places or holds ends it, and only once (the line is free
  // after it). True when it ended a call.
  bool EndRefusedCall(const NetAddress& from);
  // Line 1 or 2; nullptr for any other number.
  CClient* Line(int line) const { return line == 1 || line == 2 ? lines_[static_cast<std::size_t>(line - 1)] : nullptr; }

  // A call request (9023) from address with the request text: refused with
  // a rejection and a log line, or accepted onto a line.
  void ReceiveCallRequest(const NetAddress& address, std::string_view text);
  // The rejection datagram to address and the log line with the reason.
  // Touches only the socket and the log, so the audio receive path may
  // refuse a sound type from its own thread.
  void Refuse(const NetAddress& address, std::string_view reason);

  // The start-up call to the client named by "AutoCallOutIp", with its
  // address refreshed through DNS first when "AutoCallOutIpDns" is set; the
  // call then waits for the resolver's answer.
  // Runs once: the window is shown again after every return from the tray.
  void AutoCallOut();
  // "Connect with DNS resolve" on a client: its name is looked up, the
  // client takes the first address found in place, and the call goes there.
  // A name that is no qualified domain name, a failed lookup, and an address
  // that is another client's or cannot be one are told in a box; the list
  // then stays as it was and nothing is called.
  void ConnectWithDns(const std::string& addressText, const std::string& name);
  // Which addresses are this computer's, which no client can have.
  void SetOwnAddressCheck(std::function<bool(const NetAddress&)> isOwn) { isOwn_ = std::move(isOwn); }
  // Where names are looked up; by default at once, on this thread. The
  // resolver must outlive the line set or be replaced first.
  void SetResolver(HostResolver* resolver) { resolver_ = resolver ? resolver : &blockingResolver_; }

 private:
  bool PasswordAccepted(std::string_view request);
  // Empty when the client now has the address found; else why not.
  std::string Readdress(const std::string& addressText, const std::string& name, const std::string& found);
  void CallAutomatically(const std::string& addressText);

  std::array<CClient*, 2> lines_;
  CallSettings settings_;
  CLog& log_;
  ClientDirectory& clients_;
  MessageBoxPort& boxes_;
  CBlockingResolver blockingResolver_;
  HostResolver* resolver_ = &blockingResolver_;
  const net::CUdpSocket& socket_;
  const WallClock clock_;
  int64_t lastTickSecond_ = 0;
  bool autoCallDone_ = false;
  std::function<bool(const NetAddress&)> isOwn_;
};
