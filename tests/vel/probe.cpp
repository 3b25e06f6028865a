// A helper program the tests start: it answers, from a process of its own, what the library sees.
#include <chrono>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>

#include "vel/console.h"
#include "vel/instances.h"
#include "vel/processes.h"

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "params") {
    std::cout << vel::GetParameters() << "\n[" << vel::GetParameter(vel::ParamCount() + 1) << "]\n";
  } else if (command == "parent") {
    std::cout << vel::sysconsole::GetParentProcessName() << "\n" << vel::sysconsole::ConsoleCalled() << "\n";
  } else if (command == "console") {
    vel::sysconsole::QuickOutput("console line");
  } else if (command == "force") {
    bool first = vel::sysconsole::Connect(true);
    bool second = vel::sysconsole::Connect(true);
    std::cout << first << second << std::endl;
    vel::sysconsole::QuickOutput("forced line");
  } else if (command == "instance") {
    bool first = vel::HasOtherInstance();
    bool second = vel::HasOtherInstance();
    std::cout << vel::InstanceName() << "\n" << first << second << "\n";
  } else if (command == "hold" && argc > 2) {
    bool other = vel::HasOtherInstance();
    std::ofstream(argv[2]) << other;
    std::this_thread::sleep_for(std::chrono::seconds(60));
  } else if (command == "sleep") {
    std::this_thread::sleep_for(std::chrono::seconds(60));
  } else if (command == "touch" && argc > 2) {
    std::ofstream(argv[2]) << "touched";
  } else {
    std::cerr << "unknown command\n";
    return 2;
  }
  return 0;
}
