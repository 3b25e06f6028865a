// The installer under faults, end to end: for each fault the exit code, the cause line and the state it
// leaves (install folder, record, report, shortcuts, temporary folder). The faults of a full disk and a
// kill at an exact point are made on Linux by a preloaded library (fault_shim.c); the rest run on both
// systems. Other faults are covered beside the runs they concern in install_test.cpp: a newer version
// (3, and -force), the user's files, two folders and their uninstallers, a damaged registry store, a
// closed or full console.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "child_process.h"
#include "e2e_support.h"
#include "install_traces.h"
#include "installer/leftovers.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/instance_lock.h"
#include "platform/registry.h"
#include "vel/files.h"
#include "vel/processes.h"
#include "vel/registry.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#endif

namespace {

namespace fs = std::filesystem;
using namespace e2e;

// A file's content as its size and a digest: enough to tell any change, short enough to print.
std::string Digest(const std::string& content) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (unsigned char c : content) hash = (hash ^ c) * 0x100000001b3ULL;
  return std::to_string(content.size()) + ":" + std::to_string(hash);
}

// Everything an installation leaves anywhere, compared as a whole.
struct TEndState {
  std::map<std::string, std::string> folder;  // relative path -> content ("<dir>" for folders)
  std::optional<std::map<std::string, std::string>> record;
  std::map<std::string, std::string> shortcuts;  // everything in the two shortcut folders
  std::vector<std::string> temporary;             // the installer's folder and what lies in it

  bool operator==(const TEndState&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TEndState& s) {
  out << "folder:";
  for (const auto& [name, content] : s.folder) out << " " << name << "(" << content << ")";
  out << "\nrecord: " << (s.record ? std::to_string(s.record->size()) + " values" : "none") << "\nshortcuts:";
  for (const auto& [name, content] : s.shortcuts) out << " " << name;
  out << "\ntemporary:";
  for (const std::string& name : s.temporary) out << " " << name;
  return out;
}

// "Velnor Installer", the folder that holds the installer's temporary folder.
fs::path InstallerFolder() {
  fs::path temporary = platform::ToPath(installer::InstallerTempFolder());
  if (!temporary.has_filename()) temporary = temporary.parent_path();
  return temporary.parent_path();
}

TEndState Snapshot(const std::string& folder) {
  TEndState state;
  const fs::path root = platform::ToPath(folder);
  std::error_code ec;
  if (fs::is_directory(root, ec))
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root))
      state.folder[platform::FromPath(fs::relative(e.path(), root))] = e.is_directory() ? "<dir>" : Digest(ReadFile(e.path()));
  platform::RegistryKey key(platform::kRootCurrentUser, platform::kKeyRead);
  if (key.OpenKey(kRecord, false)) {
    state.record.emplace();
    for (const std::string& name : key.ValueNames()) {
      const std::vector<std::uint8_t> data = key.ReadValue(name)->data;
      (*state.record)[name] = Digest(std::string(data.begin(), data.end()));
    }
  }
  for (vel::TUserFolder f : {vel::TUserFolder::Programs, vel::TUserFolder::Desktop})
    for (const fs::directory_entry& e : fs::directory_iterator(platform::ToPath(vel::GetUserFolder(f)), ec))
      state.shortcuts[platform::FromPath(e.path())] = Digest(ReadFile(e.path()));
  const fs::path installerFolder = InstallerFolder();
  if (fs::is_directory(installerFolder, ec)) {
    state.temporary.push_back(platform::FromPath(installerFolder.filename()));
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(installerFolder))
      state.temporary.push_back(platform::FromPath(fs::relative(e.path(), installerFolder)));
  }
  return state;
}

class FaultMatrixTest : public testing::Test {
 protected:
  void SetUp() override {
    testsupport::RemoveInstallTraces();
    root = testsupport::MakeTempFolder();
    folder = platform::FromPath(root / "Quarrow Studio");
    for (vel::TUserFolder f : {vel::TUserFolder::Programs, vel::TUserFolder::Desktop})
      fs::create_directories(platform::ToPath(vel::GetUserFolder(f)));
  }
  void TearDown() override {
    testsupport::RemoveInstallTraces();
    std::error_code ec;
    fs::remove_all(root, ec);
  }

  // Back to no installation at all, the registry store and the shortcut folders included.
  void Clean() {
    testsupport::RemoveInstallTraces();
    std::error_code ec;
    fs::remove_all(platform::ToPath(folder), ec);
    fs::remove_all(InstallerFolder(), ec);
  }

  testsupport::RunResult Install(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"-silent", "-installpath", folder};
    args.insert(args.end(), extra.begin(), extra.end());
    return testsupport::RunFromShell(SetupProgram(), args);
  }

  fs::path root;
  std::string folder;
};

// A copy of the application running from the install folder: a script's run neither waits nor installs
// over it, "-force" or not; a copy running elsewhere is none of this folder's business.
TEST_F(FaultMatrixTest, ARunningCopyInTheFolderEndsTheRunWithFour) {
  ASSERT_EQ(Install().exitCode, 0);
  const std::string exe = folder + d + "QuarrowStudio.exe";
  testsupport::Child running(exe, {"--stay", "60"});
  ASSERT_TRUE(testsupport::WaitFor([&] {
    for (const vel::TProcess& p : vel::GetRunningProcesses())
      if (static_cast<std::uint32_t>(p.PID) == running.Pid() && p.Module == "QuarrowStudio.exe") return true;
    return false;
  }));
  const TEndState before = Snapshot(folder);
  const std::string line = "<!> Error: Quarrow Studio Suite is running from \"" + folder +
                           "\" (QuarrowStudio.exe, process " + std::to_string(running.Pid()) +
                           "); nothing was installed. Close it and start the installer again.";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-silent"}, std::vector<std::string>{"-silent", "-force"}}) {
    testsupport::RunResult run = testsupport::RunFromShell(SetupProgram(), args);
    EXPECT_EQ(run.exitCode, 4) << args.back() << "\n" << run.output;
    EXPECT_TRUE(HasLine(run.output, line)) << run.output;
    EXPECT_EQ(Snapshot(folder), before) << args.back();
  }
  EXPECT_TRUE(running.Running());

  const std::string elsewhere = platform::FromPath(root / "Elsewhere");
  testsupport::RunResult run = testsupport::RunFromShell(SetupProgram(), {"-silent", "-installpath", elsewhere});
  EXPECT_EQ(run.exitCode, 0) << run.output;
  running.Kill();
  running.Wait();
}

// Another installer of the application holds the application's lock (here this test stands in for
// it): a run at any path ends with 5, "-force" or not, and writes nothing.
TEST_F(FaultMatrixTest, AnotherInstallerAtAnyPathEndsTheRunWithFive) {
  const std::string lock = installer::InstallerLockName();
  ASSERT_FALSE(platform::JoinNamedLock(lock));
  const TEndState before = Snapshot(folder);
  for (const std::vector<std::string>& extra : {std::vector<std::string>{}, std::vector<std::string>{"-force"}}) {
    testsupport::RunResult run = Install(extra);
    EXPECT_EQ(run.exitCode, 5) << run.output;
    EXPECT_TRUE(HasLine(run.output,
                        "<!> Error: Another installation of this application is running; nothing was installed."))
        << run.output;
    EXPECT_EQ(Snapshot(folder), before);
  }
  platform::LeaveNamedLock(lock);
  EXPECT_FALSE(platform::NamedLockHeld(lock));
  EXPECT_EQ(Install().exitCode, 0);
}

#ifndef _WIN32

bool HasLineStarting(const std::string& output, const std::string& start) {
  std::istringstream in(output);
  for (std::string l; std::getline(in, l);)
    if (l.rfind(start, 0) == 0) return true;
  return false;
}

// The preloaded faults, set for the programs this test starts and taken back when it ends.
class TFaults {
 public:
  TFaults(const std::string& name, const std::string& value) {
    platform::SetEnv("LD_PRELOAD", FAULT_SHIM);
    platform::SetEnv(name, value);
    names_ = {"LD_PRELOAD", name};
  }
  ~TFaults() {
    for (const std::string& name : names_) unsetenv(name.c_str());
  }
  TFaults(const TFaults&) = delete;
  TFaults& operator=(const TFaults&) = delete;

 private:
  std::vector<std::string> names_;
};

// A child stopped by the shim just before the rename it was told; false when it ended instead.
bool StoppedAtItsPoint(testsupport::Child& child) {
  int status = 0;
  return waitpid(static_cast<pid_t>(child.Pid()), &status, WUNTRACED) == static_cast<pid_t>(child.Pid()) &&
         WIFSTOPPED(status);
}

TEST_F(FaultMatrixTest, TooLittleRoomEndsTheRunWithSixBeforeAnythingIsWritten) {
  testsupport::RunResult run;
  {
    TFaults faults("VEL_FAULT_FREE_BYTES", "1048576");
    run = Install();
  }
  EXPECT_EQ(run.exitCode, 6) << run.output;
  EXPECT_TRUE(HasLine(run.output, "(!) Installation has failed")) << run.output;
  EXPECT_TRUE(HasLineStarting(run.output, "<!> Error: Not enough disk space for \"" + folder +
                                              "\": the installation needs "))
      << run.output;
  EXPECT_NE(run.output.find(", and 1.0 MB is free. Nothing was installed."), std::string::npos) << run.output;
  EXPECT_EQ(Snapshot(folder), TEndState{});
}

// A write that finds the disk full, at each thing the installation publishes: the run ends with 6 and
// the cause, and nothing claims an installation that is not whole. Over an earlier installation, its
// record, report and shortcuts stand as they were; on a first one there is no record, report or
// shortcut (the files extracted before the failure stay, listed nowhere).
TEST_F(FaultMatrixTest, ADiskFullAtEachPublishingStep) {
  struct Case {
    const char* step;
    std::string file;  // part of the path of the file whose writes fail
  } cases[] = {
      {"archive", "program.zip"},
      {"files", d + "~zip"},
      {"uninstaller", "Uninstall.exe"},
      {"report", "InstallReport.ini"},
      {"record", "HKEY_CURRENT_USER.db"},
      {"shortcuts", ".desktop"},
  };
  for (const Case& c : cases) {
    for (const bool earlier : {false, true}) {
      Clean();
      if (earlier) {
        ASSERT_EQ(Install().exitCode, 0) << c.step;
        // An older version, so that the update has every part to rewrite.
        vel::TWinRegistry().WriteStringValue("HKEY_CURRENT_USER\\" + kRecord, "DisplayVersion", "1.0.0");
      }
      const TEndState before = Snapshot(folder);
      testsupport::RunResult run;
      {
        TFaults faults("VEL_FAULT_NOSPACE", c.file);
        run = Install();
      }
      const std::string label = std::string(c.step) + (earlier ? " over an earlier installation" : "");
      EXPECT_EQ(run.exitCode, 6) << label << "\n" << run.output;
      EXPECT_TRUE(HasLine(run.output, "(!) Installation has failed")) << label;
      EXPECT_TRUE(HasLineStarting(run.output, "<!> Error: ")) << label;
      EXPECT_TRUE(run.output.find("No space left on device") != std::string::npos ||
                  run.output.find("disk is full") != std::string::npos)
          << label << "\n" << run.output;

      const TEndState after = Snapshot(folder);
      EXPECT_EQ(after.record, before.record) << label;
      EXPECT_EQ(after.shortcuts, before.shortcuts) << label;
      EXPECT_EQ(after.temporary, std::vector<std::string>{}) << label;
      auto file = [&](const TEndState& s, const char* name) {
        auto found = s.folder.find(name);
        return found == s.folder.end() ? std::string("<none>") : found->second;
      };
      EXPECT_EQ(file(after, "InstallReport.ini"), file(before, "InstallReport.ini")) << label;
      if (!earlier) {
        EXPECT_EQ(file(after, "Uninstall.exe"), "<none>") << label;
      } else {
        // Every file of the earlier installation is whole (the same payload), none half-written.
        EXPECT_EQ(after.folder, before.folder) << label << "\n" << after;
      }
    }
  }
}

// Killed (-9) just before each publishing rename of an update: the earlier installation stands whole,
// record, report and shortcuts as they were; the next run removes what the killed one left and
// installs, and the state is that of an untroubled update.
TEST_F(FaultMatrixTest, KilledAtEachStepBoundaryOfAnUpdate) {
  const char* boundaries[] = {
      "program.zip",        // step 2: the archive
      "README.txt",         // step 3: part-way through the files
      "Uninstall.exe",      // step 4: the uninstaller
      "InstallReport.ini",  // step 4: the report
      ".desktop",           // step 4: the record stands, the shortcuts are next
  };
  ASSERT_EQ(Install().exitCode, 0);
  const TEndState installed = Snapshot(folder);
  ASSERT_FALSE(installed.record->empty());
  for (const char* boundary : boundaries) {
    {
      TFaults faults("VEL_FAULT_STOP_AT", boundary);
      testsupport::Child run(SetupProgram(), {"-silent"});
      ASSERT_TRUE(StoppedAtItsPoint(run)) << boundary;
      kill(static_cast<pid_t>(run.Pid()), SIGKILL);
      run.Wait();
    }
    const TEndState killed = Snapshot(folder);
    EXPECT_EQ(killed.record, installed.record) << boundary;
    // Whole, each of them; beside them may lie what the killed run had not yet renamed into place.
    for (const auto& [wanted, seen] : {std::pair(&installed.folder, &killed.folder),
                                       std::pair(&installed.shortcuts, &killed.shortcuts)})
      for (const auto& [name, content] : *wanted) {
        auto found = seen->find(name);
        ASSERT_NE(found, seen->end()) << boundary << ": " << name;
        EXPECT_EQ(found->second, content) << boundary << ": " << name;
      }

    testsupport::RunResult rerun = testsupport::RunFromShell(SetupProgram(), {"-silent"});
    EXPECT_EQ(rerun.exitCode, 0) << boundary << "\n" << rerun.output;
    EXPECT_EQ(Snapshot(folder), installed) << boundary << "\n" << Snapshot(folder);
  }
}

// Two installers at once, at different paths: the second ends with 5 and writes nothing; an uninstaller
// run meanwhile leaves the running one's archive alone; the first goes on to a whole installation.
TEST_F(FaultMatrixTest, TwoInstallersAtOnce) {
  const std::string second = platform::FromPath(root / "Second"), third = platform::FromPath(root / "Third");
  ASSERT_EQ(testsupport::RunFromShell(SetupProgram(), {"-silent", "-installpath", second}).exitCode, 0);
  const fs::path archive = platform::ToPath(installer::InstallerTempFolder()) / "program.zip";
  {
    std::unique_ptr<testsupport::Child> first;
    {
      TFaults faults("VEL_FAULT_STOP_AT", "README.txt");
      first = std::make_unique<testsupport::Child>(SetupProgram(),
                                                   std::vector<std::string>{"-silent", "-installpath", folder});
    }
    ASSERT_TRUE(StoppedAtItsPoint(*first));
    ASSERT_TRUE(fs::exists(archive));

    testsupport::RunResult run = testsupport::RunFromShell(SetupProgram(), {"-silent", "-installpath", third});
    EXPECT_EQ(run.exitCode, 5) << run.output;
    EXPECT_TRUE(HasLine(run.output,
                        "<!> Error: Another installation of this application is running; nothing was installed."))
        << run.output;
    EXPECT_FALSE(fs::exists(platform::ToPath(third)));

    testsupport::RunResult removal = testsupport::Run(second + d + "Uninstall.exe", {"-silent"});
    EXPECT_EQ(removal.exitCode, 0) << removal.output;
    EXPECT_TRUE(fs::exists(archive)) << "the uninstaller took the running installer's archive";

    kill(static_cast<pid_t>(first->Pid()), SIGCONT);
    EXPECT_EQ(first->Wait(), 0);
  }
  EXPECT_TRUE(fs::is_regular_file(platform::ToPath(folder + d + "InstallReport.ini")));
  EXPECT_EQ(vel::TWinRegistry().GetStringValue("HKEY_CURRENT_USER\\" + kRecord, "InstallLocation"), folder);
  EXPECT_FALSE(fs::exists(archive));
}

#endif

}  // namespace
