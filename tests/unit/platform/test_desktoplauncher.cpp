#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>

#include "fakes/ctempdirectory.h"
#include "platform/desktoplauncher.h"

namespace {

namespace fs = std::filesystem;

// Writes the folder it runs in and its process id, all at once, to a file
// named by its working folder.
constexpr const char* kCompanion =
    "#!/bin/sh\n"
    "pwd -P > marker.tmp\n"
    "echo $$ >> marker.tmp\n"
    "mv marker.tmp started-here\n";

std::string PutScript(const fs::path& path, const std::string& text) {
  CTempDirectory::Put(path, text);
  ::chmod(path.c_str(), 0755);
  return path.string();
}

bool WaitFor(const fs::path& file) {
  // Only a guard against waiting for ever: the script takes milliseconds.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!fs::exists(file)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

class CurrentFolder {
 public:
  explicit CurrentFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
  ~CurrentFolder() { fs::current_path(previous_); }

 private:
  fs::path previous_;
};

TEST(DesktopLauncherTest, StartsAProgramDetachedWithItsFolderAsWorkingFolder) {
  CTempDirectory dir;
  const fs::path folder = dir.Path() / "tools";
  fs::create_directory(folder);
  fs::create_directory(dir.Path() / "elsewhere");
  PutScript(folder / "companion.sh", kCompanion);
  // From a working folder that is not the program's, named absolutely and
  // relatively to it.
  for (const std::string& name : {(folder / "companion.sh").string(), std::string("../tools/companion.sh")}) {
    SCOPED_TRACE(name);
    fs::remove(folder / "started-here");
    {
      CurrentFolder here(dir.Path() / "elsewhere");
      ASSERT_TRUE(desktoplauncher::StartDetached(name));
    }
    ASSERT_TRUE(WaitFor(folder / "started-here"));
    std::istringstream marker(CTempDirectory::Contents(folder / "started-here"));
    std::string ranIn;
    pid_t pid = 0;
    std::getline(marker, ranIn);
    marker >> pid;
    EXPECT_EQ(fs::path(ranIn), fs::canonical(folder));
    EXPECT_FALSE(fs::exists(dir.Path() / "elsewhere" / "started-here"));
    // Not this process's child, running or ended: nothing here has to reap it.
    ASSERT_GT(pid, 0);
    errno = 0;
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
  }
}

TEST(DesktopLauncherTest, SaysSoWhenAProgramCannotStart) {
  CTempDirectory dir;
  const std::string noInterpreter = PutScript(dir.Path() / "orphan.sh", "#!/nonexistent/interpreter\n");
  for (const std::string& path : {dir.PathOf("missing"), noInterpreter}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(desktoplauncher::StartDetached(path));
  }
}

}  // namespace
