#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/cmemorykeystore.h"
#include "fakes/ctempdirectory.h"
#include "settings/cautostart.h"
#include "settings/clog.h"
#include "settings/cparams.h"

namespace {

namespace fs = std::filesystem;

class CAutostartTest : public ::testing::Test {
 protected:
  CAutostartTest() { params.SetInt("log", 1); }

  // A file of the given bytes; mode 0755 makes it executable.
  std::string Put(const std::string& name, const std::string& bytes, mode_t mode) {
    const std::string path = dir.PathOf(name);
    CTempDirectory::Put(path, bytes);
    ::chmod(path.c_str(), mode);
    return path;
  }
  void Run() {
    CAutostart autostart(params, log,
                         {[this](const std::string& path) {
                            started.push_back(path);
                            return startWorks;
                          },
                          [this](const std::string& path) {
                            opened.push_back(path);
                            return openWorks;
                          }});
    autostart.Run();
  }
  std::string Log() const { return CTempDirectory::Contents(dir.Path() / CLog::kFileName); }

  CTempDirectory dir;
  CMemoryKeyStore store;
  CParams params{store};
  CLog log{params, dir.Path(), [] { return std::string("24.12.2024 18:05:09"); }};
  std::vector<std::string> started, opened;
  bool startWorks = true;
  bool openWorks = true;
};

TEST_F(CAutostartTest, AProgramIsStartedAndAnythingElseOpenedByTheDesktop) {
  struct Case {
    const char* name;
    std::string bytes;
    mode_t mode;
    bool started;
  };
  const Case cases[] = {
      {"script.sh", "#!/bin/sh\ntrue\n", 0755, true},
      {"binary",
       std::string("\x7f"
                   "ELF\x02\x01\x01",
                   7),
       0755, true},
      {"script-not-executable.sh", "#!/bin/sh\ntrue\n", 0644, false},
      {"notes.txt", "call list\n", 0644, false},
      // As every file of a FAT stick shows itself.
      {"report.pdf", "%PDF-1.4\n", 0755, false},
      {"empty", "", 0755, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    started.clear();
    opened.clear();
    const std::string path = Put(c.name, c.bytes, c.mode);
    params.SetString("AutoStartFile", path);
    Run();
    EXPECT_EQ(started, c.started ? std::vector<std::string>{path} : std::vector<std::string>{});
    EXPECT_EQ(opened, c.started ? std::vector<std::string>{} : std::vector<std::string>{path});
  }
  EXPECT_EQ(Log(), "");
}

TEST_F(CAutostartTest, AFolderGoesToTheDesktop) {
  fs::create_directory(dir.Path() / "tools");
  params.SetString("AutoStartFile", dir.PathOf("tools"));
  Run();
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(opened, std::vector<std::string>{dir.PathOf("tools")});
}

TEST_F(CAutostartTest, NothingIsSetNothingHappens) {
  Run();
  EXPECT_TRUE(started.empty());
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(Log(), "");
}

TEST_F(CAutostartTest, EachFailureIsALineOfTheConnectionLog) {
  const std::string program = Put("companion", "#!/bin/sh\n", 0755);
  const std::string document = Put("readme.txt", "hello\n", 0644);
  const std::string gone = dir.PathOf("deleted.sh");
  struct Case {
    std::string file;
    bool startWorks, openWorks;
    std::string line;
  };
  const Case cases[] = {
      {gone, true, true, "Auto start file not found: " + gone},
      {program, false, true, "Auto start failed: " + program},
      {document, true, false, "Auto start failed: " + document},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    fs::remove(dir.Path() / CLog::kFileName);
    params.SetString("AutoStartFile", c.file);
    startWorks = c.startWorks;
    openWorks = c.openWorks;
    Run();
    EXPECT_EQ(Log(), "24.12.2024 18:05:09 " + c.line + "\r\n");
  }
  EXPECT_EQ(started, std::vector<std::string>{program});
  EXPECT_EQ(opened, std::vector<std::string>{document});
}

}  // namespace
