#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

#include "core/codes.h"
#include "fakes/cfakeclientdirectory.h"
#include "fakes/cfakemessageboxes.h"
#include "fakes/crecordinglineobserver.h"
#include "fakes/cloopbackpeer.h"
#include "fakes/cmemorykeystore.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "settings/clog.h"
#include "settings/cparams.h"

// One copy of the program as far as calls go: its settings, connection log,
// window, wall clock and socket, its two lines and their line set. The log
// is on and dateless, so its lines read "text: detail". Every side of a
// test binds the same port, as peers do.
struct CCallSide {
  CCallSide(const NetAddress& address, int port) : peer(address, port) {
    params.SetInt("log", 1);
    params.SetString("userName", "Side " + address.Text());
  }
  ~CCallSide() {
    std::error_code ignored;
    std::filesystem::remove_all(logDirectory, ignored);
  }
  CCallSide(const CCallSide&) = delete;
  CCallSide& operator=(const CCallSide&) = delete;

  // A password as the properties dialog stores it.
  static std::string Encoded(std::string typed) {
    keycipher::EncodeKey(typed);
    return typed;
  }
  void SetPassword(int keyOn, const std::string& typed) {
    params.SetInt("KeyOn", keyOn);
    params.SetString("Key", Encoded(typed));
  }

  const NetAddress& Address() const { return peer.Address(); }
  const net::CUdpSocket& Socket() const { return peer.Socket(); }
  CClient& Line(int n) { return n == 1 ? line1 : line2; }

  // What the lines told since the last look, one event a line:
  // "started 1", "name 1 'name'", "state 1 calling".
  std::vector<std::string> TakeWindow() { return lines.Take(); }

  // The connection log's lines since the last look.
  std::vector<std::string> TakeLog() {
    std::ifstream in(logDirectory / CLog::kFileName, std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), {});
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = all.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(all.substr(start + kStamp.size() + 1, end - start - kStamp.size() - 1));
    }
    std::filesystem::remove(logDirectory / CLog::kFileName);
    return lines;
  }

  // Everything the other side has sent here, handled as the program's
  // message handlers do.
  void Receive(CCallSide& from) { Deliver(peer.Collect(from.Socket())); }
  // A name request is left unanswered: the name exchange is the window's.
  void Deliver(const std::vector<CLoopbackPeer::Datagram>& datagrams) {
    for (const auto& d : datagrams) {
      if (d.code == code::kCallRequest) {
        clients.ReceiveCallRequest(d.sender, d.text);
      } else if (d.code == code::kNameReply) {
        // Only the line whose peer sent it takes the name.
        for (CClient* line : {&line1, &line2}) line->SetPeerName(d.sender, d.text);
      } else if (d.code == code::kRejection) {
        rejections.push_back(d.sender);
      } else if (d.code != code::kNameRequest) {
        clients.RouteCode(d.sender, d.code);
      }
    }
  }
  // Everything the other side has sent here is lost on the way.
  void Lose(CCallSide& from) { peer.Collect(from.Socket()); }

  static constexpr std::string_view kStamp = "T";

  static std::filesystem::path MakeDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ondrel-call-XXXXXX").string();
    return ::mkdtemp(pattern.data());
  }

  CLoopbackPeer peer;
  int64_t now = 1000;
  const std::filesystem::path logDirectory = MakeDirectory();
  CMemoryKeyStore store;
  CParams params{store};
  CLog log{params, logDirectory, [] { return std::string(kStamp); }};
  CRecordingLineObserver lines;
  CFakeClientDirectory directory{&params};
  CFakeMessageBoxes boxes;
  CClient line1{1, params, log, lines, peer.Socket(), [this] { return now; }};
  CClient line2{2, params, log, lines, peer.Socket(), [this] { return now; }};
  CClients clients{line1, line2, params, log, directory, boxes, peer.Socket(), [this] { return now; }};
  std::vector<NetAddress> rejections;
};
