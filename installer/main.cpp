// The installer's entry.
#include "installer/command_line.h"

int main() { return installer::RunInstaller(); }
