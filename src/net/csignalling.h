#pragma once

#include <atomic>

#include "core/receivedsignal.h"
#include "settings/callsettings.h"

class CallEvents;
class CClients;
class CLocalAddresses;
class CLog;
class CPresence;
namespace net {
class CUdpSocket;
}

// The main thread's end of the signalling: every signal the receive thread
// hands over goes, by its code, to the presence protocol, to the line of
// its sender (call requests to the line set's access control), to the name
// exchange, or on to the program as a call event. Codes of no use are
// dropped. Nothing is handled once the program quits.
class CSignalling : public SignalHandler {
 public:
  CSignalling(const std::atomic<int>& quitting, CClients& lines, CPresence& presence, CallEvents& events,
              CallSettings settings, const CLocalAddresses& own, CLog& log, const net::CUdpSocket& socket);

  void OnSignal(const ReceivedSignal& signal) override;

 private:
  void NameRequested(const NetAddress& from);
  void NameReplied(const NetAddress& from, const std::string& name);
  void Rejected(const NetAddress& from);

  const std::atomic<int>& quitting_;
  CClients& lines_;
  CPresence& presence_;
  CallEvents& events_;
  CallSettings settings_;
  const CLocalAddresses& own_;
  CLog& log_;
  const net::CUdpSocket& socket_;
};
