#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/codes.h"
#include "settings/ccontact.h"

namespace {

// Ticks the client count times and gives the ticks (counted from 1) at
// which a probe was due.
std::vector<int> ProbeTicks(CContact& contact, int count) {
  std::vector<int> ticks;
  for (int n = 1; n <= count; ++n) {
    if (contact.Tick()) ticks.push_back(n);
  }
  return ticks;
}

TEST(CContactTest, NewClientIsOfflineAndProbedThreeTimesEveryThirtyOneTicks) {
  CContact contact("10.0.0.7", "Office PC");
  EXPECT_FALSE(contact.IsOnline());
  EXPECT_EQ(ProbeTicks(contact, 62), (std::vector<int>{1, 7, 15, 32, 38, 46}));
  EXPECT_FALSE(contact.IsOnline());
}

TEST(CContactTest, SilentClientIsProbedAt11And17And25SecondsAndOfflineWithTheThird) {
  // Wherever in the cycle the answer falls, the schedule after it is the same.
  for (const int ticksBeforeAnswer : {0, 1, 6, 14, 20, 29, 30}) {
    SCOPED_TRACE(ticksBeforeAnswer);
      CContact contact("192.168.0.12", "Lab");
    ProbeTicks(contact, ticksBeforeAnswer);
    contact.MarkOnline();
    EXPECT_TRUE(contact.IsOnline());
    EXPECT_EQ(ProbeTicks(contact, 24), (std::vector<int>{11, 17}));
    EXPECT_TRUE(contact.IsOnline());
    EXPECT_EQ(ProbeTicks(contact, 1), (std::vector<int>{1}));
    EXPECT_FALSE(contact.IsOnline());
  }
}

TEST(CContactTest, EveryAnswerRestartsTheCountdown) {
  CContact contact("10.0.0.7", "Office PC");
  contact.MarkOnline();
  ProbeTicks(contact, 17);  // two probes unanswered
  contact.MarkOnline();
  EXPECT_EQ(ProbeTicks(contact, 25), (std::vector<int>{11, 17, 25}));
  EXPECT_FALSE(contact.IsOnline());
  // Offline clients stay offline however long they are probed.
  ProbeTicks(contact, 31 * 100);
  EXPECT_FALSE(contact.IsOnline());
  contact.MarkOnline();
  EXPECT_TRUE(contact.IsOnline());
}

TEST(CContactTest, OnlyDottedAddressesAreProbed) {
  for (const char* ip : {"", "0.0.0.0", "host.example", "10.0.0", "010.0.0.1", "10.0.0.1 ", "1.2.3.256"}) {
    SCOPED_TRACE(ip);
    CContact contact(ip, "Name");
    EXPECT_TRUE(contact.Address().IsNone());
    EXPECT_TRUE(ProbeTicks(contact, 31).empty());
  }
}

TEST(CContactTest, TheAddressIsWhatTheTextNames) {
  EXPECT_EQ(CContact("192.168.0.12", "Lab").Address(), NetAddress::IPv4(htonl(0xC0A8000C)));
  EXPECT_EQ(CContact("2001:db8::7", "Far").Address(), NetAddress::Parse("2001:db8::7"));
  // A text cut at a zero byte is probed at the address it shows.
  const CContact cut(std::string("10.0.0.1\0junk", 13), "Cut");
  EXPECT_EQ(cut.Ip(), "10.0.0.1");
  EXPECT_EQ(cut.Address(), NetAddress::Parse("10.0.0.1"));
}

TEST(CContactTest, TakeChangeReportsEachChangeOfTheOnlineMarkOnce) {
  CContact contact("10.0.0.7", "Office PC");
  EXPECT_TRUE(contact.TakeChange());  // nothing has been shown yet
  EXPECT_FALSE(contact.TakeChange());
  contact.MarkOnline();
  EXPECT_TRUE(contact.TakeChange());
  EXPECT_FALSE(contact.TakeChange());
  contact.MarkOnline();
  EXPECT_FALSE(contact.TakeChange());
  contact.MarkOffline();
  EXPECT_TRUE(contact.TakeChange());
}

TEST(CContactTest, OfflineClearsTheBusyMark) {
  CContact contact("10.0.0.7", "Office PC");
  contact.MarkOnline();
  EXPECT_TRUE(contact.SetBusy(true));
  EXPECT_FALSE(contact.SetBusy(true));
  contact.MarkOffline();
  EXPECT_FALSE(contact.IsOnline());
  EXPECT_FALSE(contact.IsBusy());
}

TEST(CContactTest, TextsAreCutToTheirFields) {
  const CContact contact(std::string(60, '1'), std::string(300, 'n'));
  EXPECT_EQ(contact.Ip(), std::string(CContact::kMaxIpChars, '1'));
  EXPECT_EQ(contact.Name(), std::string(CContact::kMaxNameChars, 'n'));
  const CContact zero("10.0.0.1", std::string("ab\0cd", 5));
  EXPECT_EQ(zero.Name(), "ab");
}

}  // namespace
