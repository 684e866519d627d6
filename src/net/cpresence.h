#pragma once

#include <cstdint>

#include "core/netaddress.h"

class CClients;
class CContacts;
namespace net {
class CUdpSocket;
}

// The presence protocol with the clients: probes that keep their marks
// (online, busy) fresh, the answers to other copies' probes, the busy and
// free notices, and the goodbye at quitting. The marks themselves are the
// client list's; the lines learn their round trip from the probes. Main
// thread.
class CPresence {
 public:
  CPresence(CContacts& contacts, CClients& lines, const net::CUdpSocket& socket);

  // Once a second: the probes that are due, each followed by this side's
  // busy or free state.
  void Tick();
  // Whether this side is in a call: every client is told once per change.
  void SetBusy(bool busy);

  // A copy probed us: answered whether or not it is a client, so that a
  // peer that lists us sees us online even while we do not list it.
  void ProbeReceived(const NetAddress& from);
  void ReplyReceived(const NetAddress& from);
  void BusyReceived(const NetAddress& from, bool busy);
  // The copy quits: its mark goes, and so does a call with it.
  void GoodbyeReceived(const NetAddress& from);
  // This side quits: every client is told.
  void SayGoodbye();

 private:
  void SendShort(const NetAddress& to, uint32_t code);
  void TellEveryClient(uint32_t code);

  CContacts& contacts_;
  CClients& lines_;
  const net::CUdpSocket& socket_;
  bool busy_ = false;  // what the clients were last told
};
