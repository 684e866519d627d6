#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/conceboxes.h"

namespace {

// Boxes that, while open, let the test run what the nested event loop
// would: more messages asking for boxes.
struct NestingBoxes : MessageBoxPort {
  void ShowError(const std::string& text) override { Shown("error " + text); }
  void ShowInfo(const std::string& text) override { Shown("info " + text); }
  void ShowTitledInfo(const std::string& title, const std::string& text) override {
    Shown("info [" + title + "] " + text);
  }
  bool AskYesNo(const std::string&, const std::string& text) override {
    Shown("question " + text);
    return true;
  }
  void Shown(const std::string& what) {
    shown.push_back(what);
    if (whileOpen) {
      auto run = std::move(whileOpen);
      whileOpen = nullptr;
      run();
    }
  }
  std::vector<std::string> shown;
  std::function<void()> whileOpen;
};

TEST(COneBoxAtATimeTest, RepeatsWhileABoxIsOpenAreCountedNotShown) {
  NestingBoxes inner;
  std::vector<std::string> logged;
  COneBoxAtATime boxes(inner, [&](const std::string& text, const std::string& detail) {
    logged.push_back(text + ": " + detail);
  });
  bool answer = true;
  inner.whileOpen = [&] {
    for (int i = 0; i < 300; ++i) boxes.ShowInfo("Restricted access. 10.0.0.9 denied connection.");
    boxes.ShowInfo("other");
    boxes.ShowError("an error of its own kind is shown");
    answer = boxes.AskYesNo("Ondrel", "Remove this client?");  // no question open: asked
  };
  boxes.ShowInfo("Restricted access. 10.0.0.9 denied connection.");
  EXPECT_EQ(inner.shown, (std::vector<std::string>{"info Restricted access. 10.0.0.9 denied connection.",
                                                   "error an error of its own kind is shown",
                                                   "question Remove this client?"}));
  EXPECT_TRUE(answer);
  EXPECT_EQ(logged, (std::vector<std::string>{
                        "Restricted access. 10.0.0.9 denied connection.: 300 more while one was open",
                        "other: 1 more while one was open"}));
  // Closed, the next one shows again.
  boxes.ShowInfo("later");
  EXPECT_EQ(inner.shown.back(), "info later");
}

TEST(COneBoxAtATimeTest, ATitledInfoKeepsItsTitleAndCountsAsAnInfo) {
  NestingBoxes inner;
  std::vector<std::string> logged;
  COneBoxAtATime boxes(inner, [&](const std::string& text, const std::string& detail) {
    logged.push_back(text + ": " + detail);
  });
  inner.whileOpen = [&] { boxes.ShowInfo("Restricted access."); };
  boxes.ShowTitledInfo("DNS Query", "Ip address not found");
  inner.whileOpen = [&] { boxes.ShowTitledInfo("DNS Query", "Ip address not found"); };
  boxes.ShowInfo("Restricted access.");
  EXPECT_EQ(inner.shown,
            (std::vector<std::string>{"info [DNS Query] Ip address not found", "info Restricted access."}));
  EXPECT_EQ(logged, (std::vector<std::string>{"Restricted access.: 1 more while one was open",
                                              "Ip address not found: 1 more while one was open"}));
}

TEST(COneBoxAtATimeTest, AQuestionAskedWhileOneIsOpenIsAnsweredNo) {
  NestingBoxes inner;
  COneBoxAtATime boxes(inner, nullptr);
  bool nested = true;
  inner.whileOpen = [&] { nested = boxes.AskYesNo("Ondrel", "again?"); };
  EXPECT_TRUE(boxes.AskYesNo("Ondrel", "first?"));
  EXPECT_FALSE(nested);
  EXPECT_EQ(inner.shown, (std::vector<std::string>{"question first?"}));
}

}  // namespace
