// The demo application the installer carries: it tells its name and version, and can stay running
// for a while (the installer's running-copy check needs a live process to find).
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <thread>

int main(int argc, char** argv) {
  std::cout << "Quarrow Studio Suite 1.1.0" << std::endl;
  // Tests that start it through the installer cannot see its output: it leaves a line where they ask.
  if (const char* marker = std::getenv("QUARROW_DEMO_MARKER"); marker && *marker)
    std::ofstream(marker, std::ios::app) << "Quarrow Studio Suite 1.1.0 ran\n";
  if (argc > 2 && std::strcmp(argv[1], "--stay") == 0)
    std::this_thread::sleep_for(std::chrono::seconds(std::atoi(argv[2])));
  return 0;
}
