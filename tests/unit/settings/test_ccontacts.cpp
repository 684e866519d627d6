#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/codes.h"
#include "fakes/cfakemessageboxes.h"
#include "fakes/crecordingclientlistobserver.h"
#include "fakes/cmemorykeystore.h"
#include "fakes/ctempdirectory.h"
#include "settings/ccontactfile.h"
#include "settings/ccontacts.h"
#include "settings/cparams.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;
// What the list told its observer, and the probes its ticks asked for.
using Events = std::vector<std::string>;

Pairs Rows(const CContacts& list) {
  Pairs rows;
  for (int row = 0; const CContact* c = list.At(row); ++row) rows.emplace_back(c->Ip(), c->Name());
  return rows;
}

NetAddress Address(const char* text) {
  return NetAddress::Parse(text);
}

// What the client dialog's Add action does with a record that passes its
// address check: trims the name and adds.
void DialogAdd(CContacts& contacts, const std::string& address, const std::string& name) {
  const auto first = name.find_first_not_of(' ');
  const std::string trimmed =
      first == std::string::npos ? "" : name.substr(first, name.find_last_not_of(' ') - first + 1);
  if (trimmed.size() >= 3) contacts.Add(address, trimmed);
}

class CContactsTest : public ::testing::Test {
 protected:
  CContactsTest() : params(store), contacts(params, window, boxes) {}

  Events TakeMessages() { return window.Take(); }
  void Tick() {
    contacts.Tick([this](const NetAddress& address) { window.events.push_back("probe " + address.Text()); });
  }

  Pairs Walk() {
    Pairs walked;
    std::string address = "stale", name = "stale";
    contacts.Rewind();
    while (contacts.Next(address, name)) walked.emplace_back(address, name);
    EXPECT_EQ(address, "");
    EXPECT_EQ(name, "");
    return walked;
  }

  void AddAll(const Pairs& pairs) {
    for (const auto& [address, name] : pairs) ASSERT_TRUE(contacts.Add(address, name)) << address;
    window.Clear();
  }

  KeyStore::Values& StoredLines() { return store.sections[CParams::kClientsSection]; }

  CMemoryKeyStore store;
  CParams params;
  CRecordingClientListObserver window;
  CFakeMessageBoxes boxes;
  CContacts contacts;
};

TEST_F(CContactsTest, AddRefusesEmptyTextsLoopbackAndKnownAddressesSilently) {
  const struct {
    const char* address;
    const char* name;
    bool added;
  } cases[] = {
      {"10.0.0.1", "Office", true},
      {"10.0.0.1", "Other", false},  // the first name stays
      {"", "Nobody", false},
      {"10.0.0.2", "", false},
      {"127.0.0.1", "Loop", false},
      {"127.0.5.9", "Loop", false},
      {"127.1.0.1", "Second copy", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address + std::string(" ") + c.name);
    EXPECT_EQ(contacts.Add(c.address, c.name), c.added);
    const Events expected = c.added ? Events{"added"} : Events{};
    EXPECT_EQ(TakeMessages(), expected);
  }
  EXPECT_EQ(Rows(contacts), (Pairs{{"10.0.0.1", "Office"}, {"127.1.0.1", "Second copy"}}));
  EXPECT_TRUE(boxes.errors.empty());
}

TEST_F(CContactsTest, RowsKeepTheOrderOfAddingWhileWalksFollowTheAddressText) {
  AddAll({{"10.0.0.2", "B"}, {"10.0.0.10", "A"}, {"9.0.0.1", "C"}, {"10.0.0.1", "D"}});
  EXPECT_EQ(Rows(contacts),
            (Pairs{{"10.0.0.2", "B"}, {"10.0.0.10", "A"}, {"9.0.0.1", "C"}, {"10.0.0.1", "D"}}));
  const Pairs byText{{"10.0.0.1", "D"}, {"10.0.0.10", "A"}, {"10.0.0.2", "B"}, {"9.0.0.1", "C"}};
  EXPECT_EQ(Walk(), byText);
  EXPECT_EQ(contacts.At(-1), nullptr);
  EXPECT_EQ(contacts.At(4), nullptr);
  EXPECT_EQ(contacts.Count(), 4u);
}

TEST_F(CContactsTest, TheTwoWalksAreIndependent) {
  AddAll({{"10.0.0.1", "A"}, {"10.0.0.2", "B"}, {"10.0.0.3", "C"}});
  std::string address, name;
  EXPECT_FALSE(contacts.Next(address, name));  // no walk before Rewind
  contacts.Rewind();
  contacts.RewindBroadcast();
  ASSERT_TRUE(contacts.Next(address, name));
  ASSERT_TRUE(contacts.Next(address, name));
  ASSERT_TRUE(contacts.NextBroadcast(address, name));
  EXPECT_EQ(address, "10.0.0.1");
  ASSERT_TRUE(contacts.Next(address, name));
  EXPECT_EQ(address, "10.0.0.3");
  EXPECT_FALSE(contacts.Next(address, name));
  ASSERT_TRUE(contacts.NextBroadcast(address, name));
  EXPECT_EQ(address, "10.0.0.2");
}

TEST_F(CContactsTest, RemovingTheClientUnderAWalkMovesTheWalkOn) {
  AddAll({{"10.0.0.1", "A"}, {"10.0.0.2", "B"}, {"10.0.0.3", "C"}});
  std::string address, name;
  contacts.Rewind();
  contacts.RewindBroadcast();
  ASSERT_TRUE(contacts.Next(address, name));
  ASSERT_TRUE(contacts.Remove("10.0.0.2"));
  ASSERT_TRUE(contacts.Next(address, name));
  EXPECT_EQ(address, "10.0.0.3");
  ASSERT_TRUE(contacts.Remove("10.0.0.1"));
  ASSERT_TRUE(contacts.NextBroadcast(address, name));
  EXPECT_EQ(address, "10.0.0.3");
}

TEST_F(CContactsTest, RemoveTellsTheWindowTheFormerRowAndDropsTheAutomaticCall) {
  AddAll({{"10.0.0.2", "B"}, {"10.0.0.10", "A"}, {"9.0.0.1", "C"}});
  params.SetString("AutoCallOutIp", "10.0.0.10");
  EXPECT_FALSE(contacts.Remove("10.0.0.1"));  // a prefix of a client is not that client
  EXPECT_TRUE(TakeMessages().empty());

  EXPECT_TRUE(contacts.Remove("10.0.0.10"));
  EXPECT_EQ(TakeMessages(), Events{"removed 1"});
  std::string autoCall = "unchanged";
  EXPECT_FALSE(params.GetString("AutoCallOutIp", autoCall));
  EXPECT_EQ(autoCall, "");

  params.SetString("AutoCallOutIp", "9.0.0.1");
  EXPECT_TRUE(contacts.Remove("10.0.0.2"));
  EXPECT_EQ(TakeMessages(), Events{"removed 0"});
  EXPECT_TRUE(params.GetString("AutoCallOutIp", autoCall));
  EXPECT_EQ(autoCall, "9.0.0.1");
  EXPECT_EQ(Rows(contacts), (Pairs{{"9.0.0.1", "C"}}));
  EXPECT_FALSE(contacts.Contains("10.0.0.2"));
}

TEST_F(CContactsTest, ConfirmRemoveAsksFirstAndRemovesOnlyOnYes) {
  AddAll({{"10.0.0.1", "A"}, {"10.0.0.2", "B"}});
  EXPECT_FALSE(contacts.ConfirmRemove(1));  // answered No
  ASSERT_EQ(boxes.questions.size(), 1u);
  EXPECT_EQ(boxes.questions[0].title, "Remove");
  EXPECT_EQ(boxes.questions[0].text, "Remove this client?");
  EXPECT_EQ(contacts.Count(), 2u);

  boxes.answer = true;
  EXPECT_FALSE(contacts.ConfirmRemove(2));
  EXPECT_FALSE(contacts.ConfirmRemove(-1));
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_TRUE(contacts.ConfirmRemove(1));
  EXPECT_EQ(TakeMessages(), Events{"removed 1"});
  EXPECT_EQ(Rows(contacts), (Pairs{{"10.0.0.1", "A"}}));
}

TEST_F(CContactsTest, ConfirmRemoveTakesTheTranslationWhereThereIsOne) {
  std::vector<std::string> asked;
  CContacts translated(params, window, boxes, [&](const std::string& key) {
    asked.push_back(key);
    return key == "Remove" ? std::string("Entfernen") : std::string();
  });
  translated.ConfirmRemove(0);
  ASSERT_EQ(boxes.questions.size(), 1u);
  EXPECT_EQ(boxes.questions[0].title, "Entfernen");
  EXPECT_EQ(boxes.questions[0].text, "Remove this client?");
  EXPECT_EQ(asked, (std::vector<std::string>{"Remove", "RemoveClient"}));
}

TEST_F(CContactsTest, TickProbesDueClientsAndRepaintsOnceWhenAnOnlineMarkChanged) {
  AddAll({{"10.0.0.1", "A"}, {"host.example", "Not dotted"}, {"10.0.0.2", "B"}});
  Tick();
  // Every row is drawn offline at first, so the first tick repaints once.
  EXPECT_EQ(TakeMessages(),
            (Events{"probe 10.0.0.1",
                               "probe 10.0.0.2",
                               "marks"}));
  Tick();
  EXPECT_TRUE(TakeMessages().empty());

  contacts.MarkOnline(Address("10.0.0.1"));
  contacts.MarkOnline(Address("10.0.0.2"));
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_TRUE(contacts.At(0)->IsOnline());
  Tick();
  EXPECT_EQ(TakeMessages(),
            (Events{"marks"}));

  // Three silent probes later both are offline again, with one repaint.
  for (int n = 0; n < 23; ++n) Tick();
  window.Clear();
  Tick();
  EXPECT_EQ(TakeMessages(),
            (Events{"probe 10.0.0.1",
                               "probe 10.0.0.2",
                               "marks"}));
  EXPECT_FALSE(contacts.At(0)->IsOnline());
}

TEST_F(CContactsTest, MarksOfAnAddressThatIsNoClientChangeNothing) {
  AddAll({{"10.0.0.1", "A"}});
  contacts.MarkOnline(Address("10.0.0.9"));
  contacts.BusyChanged(Address("10.0.0.9"), true);
  contacts.GoneOffline(Address("10.0.0.9"));
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_EQ(Rows(contacts), (Pairs{{"10.0.0.1", "A"}}));
  EXPECT_FALSE(contacts.At(0)->IsOnline());

  contacts.MarkOnline(Address("10.0.0.1"));
  EXPECT_TRUE(contacts.At(0)->IsOnline());
}

TEST_F(CContactsTest, BusyMarksRepaintOnlyWhenTheyChange) {
  AddAll({{"10.0.0.1", "A"}});
  const Events repaint{"marks"};
  contacts.BusyChanged(Address("10.0.0.1"), true);
  EXPECT_TRUE(contacts.At(0)->IsBusy());
  EXPECT_EQ(TakeMessages(), repaint);
  contacts.BusyChanged(Address("10.0.0.1"), true);  // repeated with every probe
  EXPECT_TRUE(TakeMessages().empty());
  contacts.BusyChanged(Address("10.0.0.1"), false);
  EXPECT_FALSE(contacts.At(0)->IsBusy());
  EXPECT_EQ(TakeMessages(), repaint);
}

TEST_F(CContactsTest, OfflineNoticeClearsOnlineAndBusyAtOnceAndRepaintsAtTheNextTick) {
  AddAll({{"10.0.0.1", "A"}});
  contacts.MarkOnline(Address("10.0.0.1"));
  contacts.BusyChanged(Address("10.0.0.1"), true);
  Tick();
  window.Clear();

  contacts.GoneOffline(Address("10.0.0.1"));
  EXPECT_FALSE(contacts.At(0)->IsOnline());
  EXPECT_FALSE(contacts.At(0)->IsBusy());
  EXPECT_TRUE(TakeMessages().empty());
  Tick();
  EXPECT_EQ(TakeMessages(),
            (Events{"marks"}));
}

TEST_F(CContactsTest, CallSideFindsClientsByAddress) {
  AddAll({{"10.0.0.1", "Office PC"}});
  ClientDirectory& directory = contacts;
  EXPECT_EQ(directory.NameOf(Address("10.0.0.1")), "Office PC");
  EXPECT_EQ(directory.NameOf(Address("10.0.0.10")), std::nullopt);
  EXPECT_EQ(contacts.FindByAddress(Address("10.0.0.1")), contacts.At(0));
  EXPECT_TRUE(directory.Contains("10.0.0.1"));
  EXPECT_FALSE(directory.Contains("10.0.0.1 "));
  EXPECT_TRUE(directory.Remove("10.0.0.1"));
  EXPECT_TRUE(directory.Add("10.0.0.7", "Office PC"));
  EXPECT_EQ(directory.NameOf(Address("10.0.0.7")), "Office PC");
}

// A client whose name now resolves elsewhere: taken in place, or not at all.
TEST_F(CContactsTest, ChangeAddressKeepsTheRowAndTheAutomaticCallOrChangesNothing) {
  using Change = ClientDirectory::AddressChange;
  struct Case {
    const char* what;
    std::string from, to;
    Change result;
    Pairs rows;
    std::string autoCall;
  };
  const Pairs before{{"10.9.9.9", "127.1.0.2"}, {"127.1.0.2", "Other"}, {"10.0.0.3", "C"}};
  const Case cases[] = {
      {"in place", "10.9.9.9", "10.1.1.1", Change::kDone,
       {{"10.1.1.1", "127.1.0.2"}, {"127.1.0.2", "Other"}, {"10.0.0.3", "C"}}, "10.1.1.1"},
      {"already there", "10.9.9.9", "10.9.9.9", Change::kDone, before, "10.9.9.9"},
      {"another client's", "10.9.9.9", "127.1.0.2", Change::kTaken, before, "10.9.9.9"},
      {"refused", "10.9.9.9", "127.0.0.1", Change::kRefused, before, "10.9.9.9"},
      {"not a client", "10.5.5.5", "10.1.1.1", Change::kNotAClient, before, "10.9.9.9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CMemoryKeyStore fresh;
    CParams params(fresh);
    CContacts list(params, window, boxes);
    for (const auto& [address, name] : before) ASSERT_TRUE(list.Add(address, name));
    params.SetString("AutoCallOutIp", "10.9.9.9");
    window.Clear();
    EXPECT_EQ(list.ChangeAddress(c.from, c.to), c.result);
    EXPECT_EQ(Rows(list), c.rows);
    std::string autoCall;
    params.GetString("AutoCallOutIp", autoCall);
    EXPECT_EQ(autoCall, c.autoCall);
    // The moved client is found, walked and stored under its new address.
    for (const auto& [address, name] : c.rows) EXPECT_EQ(list.NameOf(Address(address.c_str())), name);
    std::string address, name;
    list.Rewind();
    std::size_t walked = 0;
    while (list.Next(address, name)) ++walked;
    EXPECT_EQ(walked, c.rows.size());
    const bool changed = c.rows != before;
    EXPECT_EQ(window.events.size(), changed ? 1u : 0u);
  }
}

TEST_F(CContactsTest, OverLongTextsAreCutAndTheSameTextFindsTheClient) {
  const std::string longAddress(80, '1');
  ASSERT_TRUE(contacts.Add(longAddress, std::string(250, 'n')));
  EXPECT_EQ(contacts.At(0)->Ip().size(), CContact::kMaxIpChars);
  EXPECT_EQ(contacts.At(0)->Name().size(), CContact::kMaxNameChars);
  EXPECT_FALSE(contacts.Add(longAddress + "2", "Other"));  // the same client once cut
  EXPECT_TRUE(contacts.Contains(longAddress));
  EXPECT_TRUE(contacts.Remove(longAddress));
  EXPECT_EQ(contacts.Count(), 0u);
}

TEST_F(CContactsTest, StartUpFillsFromTheStoreInAddressOrderWithoutWriting) {
  store.sections[CParams::kClientsSection] = {
      {0, "10.0.0.2 B"}, {1, "10.0.0.10 Office PC"}, {2, "127.0.0.1 Loop"}, {3, ""}};
  CParams loaded(store);
  CContacts list(loaded, window, boxes);
  const int writes = store.writes;
  list.LoadFromStore();
  ASSERT_TRUE(list.Add("1.2.3.4", "Later"));
  EXPECT_EQ(Rows(list), (Pairs{{"10.0.0.10", "Office PC"}, {"10.0.0.2", "B"}, {"1.2.3.4", "Later"}}));
  EXPECT_EQ(window.events.size(), 3u);  // one new row each
  EXPECT_EQ(store.writes, writes);
}

TEST_F(CContactsTest, TheStoredCopyIsRebuiltFromTheList) {
  store.sections[CParams::kClientsSection] = {{0, "10.0.0.5 Gone"}};
  CParams loaded(store);
  CContacts list(loaded, window, boxes);
  list.LoadFromStore();
  ASSERT_TRUE(list.Remove("10.0.0.5"));
  ASSERT_TRUE(list.Add("10.0.0.2", "B"));
  ASSERT_TRUE(list.Add("10.0.0.10", "Office PC"));
  list.WriteStoredCopy();
  const KeyStore::Values& lines = StoredLines();
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(CParams::kClientValues));
  EXPECT_EQ(lines.at(0), "10.0.0.10 Office PC");
  EXPECT_EQ(lines.at(1), "10.0.0.2 B");
  EXPECT_EQ(lines.at(2), "");
}

class CContactsFileTest : public CContactsTest {
 protected:
  std::string PathOf(const char* name) const { return temp.PathOf(name); }
  bool Import(CContacts& list, const std::string& path) {
    return list.Import(path, [&list](const std::string& a, const std::string& n) { DialogAdd(list, a, n); });
  }

  CTempDirectory temp;
  const std::filesystem::path& dir = temp.Path();
};

TEST_F(CContactsFileTest, ExportThenImportGivesTheSameClients) {
  AddAll({{"10.0.0.2", "Bob"}, {"10.0.0.10", "Office PC"}, {"192.168.0.12", "M\xfcller, Lab; 2"}});
  const std::string path = PathOf("clients.txt");
  ASSERT_TRUE(contacts.Export(path));
  EXPECT_EQ(CTempDirectory::Contents(path),
            "10.0.0.10,Office PC;\r\n10.0.0.2,Bob;\r\n192.168.0.12,M\xfcller Lab 2;\r\n");

  CMemoryKeyStore otherStore;
  CParams otherParams(otherStore);
  CContacts other(otherParams, window, boxes);
  ASSERT_TRUE(Import(other, path));
  EXPECT_EQ(Rows(other),
            (Pairs{{"10.0.0.10", "Office PC"}, {"10.0.0.2", "Bob"}, {"192.168.0.12", "M\xfcller Lab 2"}}));
  // The import ends by writing the stored copy.
  EXPECT_EQ(otherStore.sections[CParams::kClientsSection].at(2), "192.168.0.12 M\xfcller Lab 2");
}

TEST_F(CContactsFileTest, ImportAddsOnlyNewWellFormedRecords) {
  AddAll({{"10.0.0.3", "Lab"}});
  const std::string path = PathOf("clients.txt");
  CTempDirectory::Put(path,
                      "10.0.0.3,Other name;\r\n"  // a client already: nothing added
                      "10.0.0.4, Desk PC;\r\n"    // the blank goes with the dialog's trim
                      "Printer;\r\n"              // no address of its own
                      "127.0.0.1,Loop;\r\n" +
                          std::string(5000, 'x') +
                          ",huge;\r\n"       // cannot be a client's address
                          "10.0.0.5,Tail");  // never ended
  ASSERT_TRUE(Import(contacts, path));
  EXPECT_EQ(TakeMessages(), Events{"added"});
  EXPECT_EQ(Rows(contacts), (Pairs{{"10.0.0.3", "Lab"}, {"10.0.0.4", "Desk PC"}}));
  EXPECT_EQ(StoredLines().at(0), "10.0.0.3 Lab");
  EXPECT_EQ(StoredLines().at(1), "10.0.0.4 Desk PC");
}

TEST_F(CContactsFileTest, ImportOfAnUnreadableFileChangesNothing) {
  AddAll({{"10.0.0.3", "Lab"}});
  const int writes = store.writes;
  const std::string huge = PathOf("huge.txt");
  CTempDirectory::Put(huge, std::string(CContactFile::kMaxFileBytes, ';') + "1.1.1.1,abc;");
  for (const std::string& path : {PathOf("missing.txt"), dir.string(), huge}) {
    SCOPED_TRACE(path);
    int calls = 0;
    EXPECT_FALSE(contacts.Import(path, [&](const std::string&, const std::string&) { ++calls; }));
    EXPECT_EQ(calls, 0);
  }
  EXPECT_EQ(store.writes, writes);
  EXPECT_EQ(contacts.Count(), 1u);
}

TEST_F(CContactsFileTest, FailedExportReportsFalse) {
  AddAll({{"10.0.0.3", "Lab"}});
  EXPECT_FALSE(contacts.Export(PathOf("missing/clients.txt")));
}

}  // namespace
