#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "fakes/ctempdirectory.h"
#include "ui/dlgcontact.h"
#include "unit/ui/dialogfixture.h"

namespace {

class TDlgCntactTest : public DialogFixture {
 protected:
  void Type(const std::string& ip, const std::string& name) {
    dialog.ipEdit->setText(QString::fromStdString(ip));
    dialog.nameEdit->setText(QString::fromStdString(name));
  }
  std::string StoredClients() {
    std::string all;
    for (const auto& [n, line] : store.sections["contacts"]) {
      if (!line.empty()) all += line + "|";
    }
    return all;
  }

  TDlgCntact dialog{settings, contacts, network, boxes, files, {}};
};

TEST_F(TDlgCntactTest, AddChecksTheAddressAndTheNameAsTyped) {
  contacts.Add("10.0.0.9", "Lab");
  struct Case {
    std::string ip, name;
    std::string error;  // "" when the client is added
    std::string stored;
    std::string address = "";  // as kept, when not as typed
  };
  const Case cases[] = {
      {"10.0.0.1", "abc", "", "abc"},
      {"10.0.0.2", "  abc  ", "", "abc"},
      {"010.0.0.1", "abc", "Invalid Ip address: 010.0.0.1,abc", ""},
      {"10.0.0", "abc", "Invalid Ip address: 10.0.0,abc", ""},
      {kOwnAddress, "abc", std::string("Invalid Ip address: ") + kOwnAddress + ",abc", ""},
      {kOtherOwnAddress, "abc", std::string("Invalid Ip address: ") + kOtherOwnAddress + ",abc", ""},
      {"0.0.0.0", "abc", "Invalid Ip address: 0.0.0.0,abc", ""},
      {"10.0.0.3", " ab ", "Name is to short", ""},
      {"10.0.0.9", "Other", "Client exists: 10.0.0.9,Other", ""},
      {"2001:db8::7", "Far", "", "Far"},
      {"2001:DB8::A", "Caps", "", "Caps", "2001:db8::a"},
      {"2001:0db8::b", "abc", "Invalid Ip address: 2001:0db8::b,abc", ""},
      {"::1", "abc", "Invalid Ip address: ::1,abc", ""},
      {"::", "abc", "Invalid Ip address: ::,abc", ""},
      {"::ffff:10.0.0.4", "abc", "Invalid Ip address: ::ffff:10.0.0.4,abc", ""},
      {"fe80::9", "abc", "Invalid Ip address: fe80::9,abc", ""},
      {kOwnIPv6Address, "abc", std::string("Invalid Ip address: ") + kOwnIPv6Address + ",abc", ""},
      {"2001:db8::7", "Again", "Client exists: 2001:db8::7,Again", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ip + " " + c.name);
    boxes.errors.clear();
    Type(c.ip, c.name);
    dialog.OnAddClicked();
    if (c.error.empty()) {
      EXPECT_TRUE(boxes.errors.empty());
      const std::string kept = c.address.empty() ? c.ip : c.address;
      ASSERT_TRUE(contacts.Contains(kept));
      EXPECT_EQ(*contacts.NameOf(NetAddress::Parse(kept)), c.stored);
      EXPECT_EQ(dialog.nameEdit->text().toStdString(), c.stored);
    } else {
      ASSERT_EQ(boxes.errors.size(), 1u);
      EXPECT_EQ(boxes.errors[0], c.error);
    }
  }
  EXPECT_EQ(contacts.Count(), 5u);
  // What was added is kept at once.
  EXPECT_EQ(StoredClients(), "10.0.0.1 abc|10.0.0.2 abc|10.0.0.9 Lab|2001:db8::7 Far|2001:db8::a Caps|");
}

TEST_F(TDlgCntactTest, TranslatedMessagesReplaceTheWholeText) {
  TDlgCntact translated{settings, contacts, network, boxes, files, [](const std::string& key) {
                          return key == "InvalidIPAdress" ? std::string("Fel adress") : std::string();
                        }};
  translated.ipEdit->setText("1.2.3");
  translated.OnAddClicked();
  EXPECT_EQ(boxes.errors, std::vector<std::string>{"Fel adress"});
}

TEST_F(TDlgCntactTest, FieldsTakeOnlyWhatAnAddressAndARecordCanHold) {
  QTest::keyClicks(dialog.ipEdit, "1g0.0,.0.1x");
  EXPECT_EQ(dialog.ipEdit->text(), "10.0.0.1");
  dialog.ipEdit->clear();
  QTest::keyClicks(dialog.ipEdit, "2001:DB8::a7 ");
  EXPECT_EQ(dialog.ipEdit->text(), "2001:DB8::a7");
  dialog.ipEdit->clear();
  QTest::keyClicks(dialog.nameEdit, "Of,fice; PC");
  EXPECT_EQ(dialog.nameEdit->text(), "Office PC");
  QTest::keyClicks(dialog.ipEdit, QString(60, '9'));
  EXPECT_EQ(dialog.ipEdit->text().size(), TDlgCntact::kMaxIpChars);
}

TEST_F(TDlgCntactTest, OpensEmptyForANewClientOrFilledForAChosenOne) {
  contacts.Add("10.0.0.5", "Desk");
  dialog.OpenFor(-1);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.ipEdit->text().isEmpty());
  EXPECT_TRUE(dialog.addButton->isEnabled());
  EXPECT_FALSE(dialog.removeButton->isEnabled());
  EXPECT_FALSE(dialog.updateButton->isEnabled());
  EXPECT_TRUE(dialog.addButton->isDefault());

  dialog.OpenFor(0);
  EXPECT_EQ(dialog.ipEdit->text(), "10.0.0.5");
  EXPECT_EQ(dialog.nameEdit->text(), "Desk");
  EXPECT_FALSE(dialog.addButton->isEnabled());
  EXPECT_TRUE(dialog.removeButton->isEnabled());
  EXPECT_TRUE(dialog.updateButton->isDefault());

  dialog.OpenFor(7);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(TDlgCntactTest, FieldsFollowTheClientChosenInTheMainWindow) {
  contacts.Add("10.0.0.5", "Desk");
  contacts.Add("10.0.0.6", "Lab");
  dialog.OpenFor(0);
  dialog.FollowSelection(1);
  EXPECT_EQ(dialog.ipEdit->text(), "10.0.0.6");
  EXPECT_EQ(dialog.nameEdit->text(), "Lab");
  // The client the dialog was opened on is still the one Update replaces.
  dialog.nameEdit->setText("Desk two");
  dialog.ipEdit->setText("10.0.0.7");
  dialog.OnUpdateClicked();
  EXPECT_FALSE(contacts.Contains("10.0.0.5"));
  EXPECT_TRUE(contacts.Contains("10.0.0.6"));
  EXPECT_TRUE(contacts.Contains("10.0.0.7"));
}

TEST_F(TDlgCntactTest, UpdateMovesTheAutomaticCallWithTheClient) {
  contacts.Add("10.0.0.5", "Desk");
  params.SetString("AutoCallOutIp", "10.0.0.5");
  dialog.OpenFor(0);
  Type("10.0.0.50", "Desk PC");
  dialog.OnUpdateClicked();
  EXPECT_FALSE(contacts.Contains("10.0.0.5"));
  EXPECT_EQ(*contacts.NameOf(NetAddress::Parse("10.0.0.50")), "Desk PC");
  std::string autoCall;
  params.GetString("AutoCallOutIp", autoCall);
  EXPECT_EQ(autoCall, "10.0.0.50");
  // A second update starts from the new address.
  Type("10.0.0.51", "Desk PC");
  dialog.OnUpdateClicked();
  EXPECT_EQ(contacts.Count(), 1u);
  EXPECT_TRUE(contacts.Contains("10.0.0.51"));
}

TEST_F(TDlgCntactTest, UpdateOntoAnotherClientsAddressKeepsBoth) {
  contacts.Add("10.0.0.5", "Desk");
  contacts.Add("10.0.0.6", "Lab");
  dialog.OpenFor(0);
  Type("10.0.0.6", "Desk");
  dialog.OnUpdateClicked();
  EXPECT_EQ(boxes.errors, std::vector<std::string>{"Client exists: 10.0.0.6,Desk"});
  EXPECT_EQ(*contacts.NameOf(NetAddress::Parse("10.0.0.5")), "Desk");
  EXPECT_EQ(*contacts.NameOf(NetAddress::Parse("10.0.0.6")), "Lab");
}

TEST_F(TDlgCntactTest, RemoveClosesOnlyWhenAClientWent) {
  contacts.Add("10.0.0.5", "Desk");
  dialog.OpenFor(0);
  Type("10.0.0.8", "Desk");
  dialog.OnRemoveClicked();
  EXPECT_EQ(boxes.errors, std::vector<std::string>{"Client do not exists"});
  EXPECT_TRUE(dialog.isVisible());
  Type("10.0.0.5", "Desk");
  dialog.OnRemoveClicked();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(contacts.Count(), 0u);
  // Closing wrote the list back.
  EXPECT_EQ(StoredClients(), "");
}

TEST_F(TDlgCntactTest, ClosingWritesTheStoredList) {
  contacts.Add("10.0.0.5", "Desk");
  dialog.OpenFor(-1);
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(StoredClients(), "10.0.0.5 Desk|");
}

TEST_F(TDlgCntactTest, ComesBackWhereItWasLeftIfThatIsOnTheScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  struct Case {
    int x, y;
    bool kept;
  };
  for (const Case c : {Case{40, 50, true}, Case{screen.width() + 10, 50, false}, Case{0, 0, false}}) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    params.SetInt("DlgContactX", c.x);
    params.SetInt("DlgContactY", c.y);
    TDlgCntact placed{settings, contacts, network, boxes, files, {}};
    placed.OpenFor(-1);
    if (c.kept) {
      EXPECT_EQ(placed.pos(), QPoint(c.x, c.y));
    } else {
      EXPECT_EQ(placed.pos(), QPoint(screen.width() / 2 - placed.width() / 2, screen.height() / 2 - placed.height() / 2));
    }
  }
  dialog.OpenFor(-1);
  dialog.move(70, 80);
  dialog.StorePosition();
  EXPECT_EQ(params.GetInt("DlgContactX"), 70);
  EXPECT_EQ(params.GetInt("DlgContactY"), 80);
}

TEST_F(TDlgCntactTest, DnsQueryListsTheAddressesOfAKnownHost) {
  dialog.OpenFor(-1);
  Type("", "localhost");
  dialog.OnDnsQueryClicked();
  ASSERT_TRUE(dialog.dnsGroup->isVisible());
  EXPECT_GE(dialog.dnsList->count(), 1);
  EXPECT_EQ(dialog.dnsList->currentText(), "127.0.0.1");
  dialog.OnSelectClicked();
  EXPECT_EQ(dialog.ipEdit->text(), "127.0.0.1");
  EXPECT_FALSE(dialog.dnsGroup->isVisible());
  EXPECT_EQ(dialog.dnsList->count(), 0);
  EXPECT_TRUE(boxes.infos.empty());
}

TEST_F(TDlgCntactTest, AFailedDnsQueryShowsOneBoxCaptionedDnsQuery) {
  struct Case {
    const char* name;
    TextLookup texts;
    const char* title;
    const char* text;
  };
  const Case cases[] = {
      {"", {}, "DNS Query", "Ip address not found"},
      {"no-such-host.invalid", {}, "DNS Query", "Ip address not found"},
      {"no-such-host.invalid",
       [](const std::string& key) -> std::string {
         if (key == "DnsQuery") return "Namnuppslag";
         return key == "IpNotFound" ? "Ingen adress hittades" : "";
       },
       "Namnuppslag", "Ingen adress hittades"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CFakeMessageBoxes shown;
    TDlgCntact translated(settings, contacts, network, shown, files, c.texts);
    translated.OpenFor(-1);
    translated.nameEdit->setText(c.name);
    translated.OnDnsQueryClicked();
    EXPECT_FALSE(translated.dnsGroup->isVisible());
    EXPECT_TRUE(shown.errors.empty());
    EXPECT_TRUE(shown.infos.empty());
    ASSERT_EQ(shown.titledInfos.size(), 1u);
    EXPECT_EQ(shown.titledInfos[0].title, c.title);
    EXPECT_EQ(shown.titledInfos[0].text, c.text);
  }
}

class TDlgCntactFileTest : public TDlgCntactTest {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const auto path = (temp.Path() / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  CTempDirectory temp;
};

TEST_F(TDlgCntactFileTest, ExportAndImportRoundTrip) {
  contacts.Add("10.0.0.2", "Bee");
  contacts.Add("10.0.0.10", "Office PC");
  contacts.Add("2001:db8::10", "Far away");
  const auto path = (temp.Path() / "clients.txt").string();
  files.answers.push_back(path);
  dialog.ExportClients();
  ASSERT_EQ(files.requests.size(), 1u);
  EXPECT_TRUE(files.requests[0].save);
  EXPECT_EQ(files.requests[0].title, "Export clients");
  std::ifstream in(path, std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(written, "10.0.0.10,Office PC;\r\n10.0.0.2,Bee;\r\n2001:db8::10,Far away;\r\n");

  CContacts fresh{params, clientList, boxes};
  TDlgCntact other{settings, fresh, network, boxes, files, {}};
  files.answers.push_back(path);
  other.ImportClients();
  EXPECT_EQ(*fresh.NameOf(NetAddress::Parse("10.0.0.10")), "Office PC");
  EXPECT_EQ(*fresh.NameOf(NetAddress::Parse("10.0.0.2")), "Bee");
  EXPECT_EQ(*fresh.NameOf(NetAddress::Parse("2001:db8::10")), "Far away");
  EXPECT_EQ(fresh.Count(), 3u);
  EXPECT_TRUE(boxes.errors.empty());
}

TEST_F(TDlgCntactFileTest, ImportAddsTheGoodRecordsAndSaysWhatIsWrongWithTheOthers) {
  contacts.Add("10.0.0.3", "Lab");
  files.answers.push_back(Write("mixed.txt",
                                "10.0.0.3,Lab;\r\n"           // exists: silently skipped
                                "10.0.0.4, Desk PC;10.0.0.5,Two;\r\n"  // two records on one line
                                "10.0.0.6,al\r\npha;\r\n"     // a name broken by a line end
                                "010.0.0.7,Zero;\r\n"         // leading zero
                                "10.0.0.8,x;\r\n"));          // too short
  dialog.ImportClients();
  EXPECT_EQ(*contacts.NameOf(NetAddress::Parse("10.0.0.4")), "Desk PC");
  EXPECT_EQ(*contacts.NameOf(NetAddress::Parse("10.0.0.5")), "Two");
  EXPECT_EQ(*contacts.NameOf(NetAddress::Parse("10.0.0.6")), "alpha");
  EXPECT_EQ(contacts.Count(), 4u);
  EXPECT_EQ(boxes.errors,
            (std::vector<std::string>{"Invalid Ip address: 010.0.0.7,Zero", "Name is to short"}));
  EXPECT_EQ(StoredClients(), "10.0.0.3 Lab|10.0.0.4 Desk PC|10.0.0.5 Two|10.0.0.6 alpha|");
}

TEST_F(TDlgCntactFileTest, AFileThatCannotBeReadOrWrittenChangesNothing) {
  contacts.Add("10.0.0.3", "Lab");
  contacts.WriteStoredCopy();
  const std::string missing = (temp.Path() / "missing.txt").string();
  files.answers.push_back(missing);
  dialog.ImportClients();
  EXPECT_EQ(boxes.errors, std::vector<std::string>{"Could not read the client list " + missing});
  EXPECT_EQ(contacts.Count(), 1u);

  boxes.errors.clear();
  const std::string unwritable = (temp.Path() / "no-folder" / "out.txt").string();
  files.answers.push_back(unwritable);
  dialog.ExportClients();
  EXPECT_EQ(boxes.errors, std::vector<std::string>{"Could not write the client list " + unwritable});
  EXPECT_FALSE(std::filesystem::exists(unwritable));

  // Cancelled choosers do nothing at all.
  boxes.errors.clear();
  dialog.ImportClients();
  dialog.ExportClients();
  EXPECT_TRUE(boxes.errors.empty());
  EXPECT_EQ(StoredClients(), "10.0.0.3 Lab|");
}

}  // namespace
