#include <gtest/gtest.h>

#include <string>

#include "platform/devicedisplayname.h"

namespace {

TEST(DeviceDisplayNameTest, NamesBecomeShortLatin1Texts) {
  struct Case {
    const char* utf8;
    std::string shown;
  };
  const Case cases[] = {
      {"pulse", "pulse"},
      {"HDA Intel PCH: ALC3246 Analog (hw:0,0) with a very long tail",
       "HDA Intel PCH: ALC3246 Analog (hw:0,0) with a ver"},
      {"Mikrofon B\xc3\xbcro \xe2\x80\x93 links", "Mikrofon B\xfcro ? links"},
      {nullptr, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DeviceDisplayName(c.utf8), c.shown);
}

}  // namespace
