#pragma once

#include <gtest/gtest.h>

#include "fakes/cfakefilechooser.h"
#include "fakes/cfakemessageboxes.h"
#include "fakes/cmemorykeystore.h"
#include "fakes/crecordingclientlistobserver.h"
#include "fakes/crecordingoptionactions.h"
#include "fakes/crecordingsettings.h"
#include "net/cblockingresolver.h"
#include "net/clocaladdresses.h"
#include "net/cnetworkfacts.h"
#include "net/transport.h"
#include "settings/ccontacts.h"
#include "settings/cparams.h"

// What a dialog is made with, all real but the screen's parts: settings in
// memory, the client list, the boxes, the file choosers, and what the
// dialog sets going in the program recorded.
class DialogFixture : public ::testing::Test {
 protected:
  static constexpr const char* kOwnAddress = "192.168.7.7";
  static constexpr const char* kOtherOwnAddress = "10.20.30.40";
  static constexpr const char* kOwnIPv6Address = "2001:db8:77::7";

  CMemoryKeyStore store;
  CParams params{store};
  CRecordingSettings settings{params};
  CRecordingOptionActions optionActions;
  CFakeMessageBoxes boxes;
  CRecordingClientListObserver clientList;
  CContacts contacts{params, clientList, boxes};
  CBlockingResolver resolver;
  // Unbound, on two networks: loopback addresses are never the computer's own.
  CLocalAddresses own{{},
                      4444,
                      [] {
                        return std::vector<NetAddress>{
                            NetAddress::Parse("127.0.0.1"),    NetAddress::Parse(kOwnAddress),
                            NetAddress::Parse("127.0.1.1"),    NetAddress::Parse(kOtherOwnAddress),
                            NetAddress::Parse("::1"),          NetAddress::Parse("fe80::7"),
                            NetAddress::Parse(kOwnIPv6Address)};
                      },
                      [](const NetAddress&, int) { return NetAddress::Parse("127.0.0.1"); }};
  CNetworkFacts network{own, resolver};
  CFakeFileChooser files;
};
