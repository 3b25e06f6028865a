// The installation log.
#include "installer/log.h"

#include <chrono>
#include <cstdio>
#include <fstream>

#include "platform/files.h"

namespace installer {
namespace {

struct TLog {
  std::ofstream File;
  std::chrono::steady_clock::time_point Opened;
};

// The one log of the process: "-log" names it once.
TLog& Log() {
  static TLog log;
  return log;
}

}  // namespace

bool OpenLog(const std::string& Path) {
  TLog& log = Log();
  log.File.close();
  log.File.clear();
  log.File.open(platform::ToPath(Path), std::ios::app | std::ios::binary);
  log.Opened = std::chrono::steady_clock::now();
  return log.File.is_open();
}

void LogLine(const std::string& Text) {
  TLog& log = Log();
  if (!log.File.is_open()) return;
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - log.Opened).count();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "[%10.1f ms] ", ms);
  // A log that cannot be written any more (a full disk) must not stop the installation it reports on.
  log.File << stamp << Text << '\n' << std::flush;
  if (!log.File) log.File.close();
}

}  // namespace installer
