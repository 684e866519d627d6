#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/clinerate.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST(CLineRateTest, AFloodWritesItsBudgetAndThenOneSummaryAMinute) {
  Clock::time_point now{};
  std::vector<std::string> written;
  {
    CLineRate lines([&](const std::string& line) { written.push_back(line); }, [&] { return now; });
    for (int i = 0; i < 500; ++i) lines.Line("Ondrel Info: denied " + std::to_string(i));
    EXPECT_EQ(written.size(), CLineRate::kBudget);
    EXPECT_EQ(written.front(), "Ondrel Info: denied 0");

    now += CLineRate::kWindow;
    lines.Line("Ondrel Info: later");
    ASSERT_EQ(written.size(), CLineRate::kBudget + 2);
    EXPECT_EQ(written[CLineRate::kBudget], "ondrel: 490 more lines like these in the last minute");
    EXPECT_EQ(written.back(), "Ondrel Info: later");

    for (int i = 0; i < 20; ++i) lines.Line("again");
  }
  // What was held back when the program ends is still told.
  EXPECT_EQ(written.back(), "ondrel: 11 more lines like these in the last minute");
}

TEST(CLineRateTest, AQuietProgramWritesEveryLine) {
  Clock::time_point now{};
  std::vector<std::string> written;
  CLineRate lines([&](const std::string& line) { written.push_back(line); }, [&] { return now; });
  for (int i = 0; i < 30; ++i) {
    lines.Line("line " + std::to_string(i));
    now += std::chrono::seconds(7);
  }
  EXPECT_EQ(written.size(), 30u);
}

}  // namespace
