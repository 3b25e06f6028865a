// Opening shared libraries late and finding their functions.
#include "late_libraries.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string>

namespace platform {

TLateLibraries::TLateLibraries(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    void* library = dlopen(name, RTLD_LAZY | RTLD_GLOBAL);
    if (!library) throw std::runtime_error(std::string("Cannot load ") + name + ": " + dlerror());
    libraries_.push_back(library);
  }
}

void* TLateLibraries::Symbol(const char* name) const {
  if (void* symbol = dlsym(RTLD_DEFAULT, name)) return symbol;
  for (void* library : libraries_)
    if (void* symbol = dlsym(library, name)) return symbol;
  throw std::runtime_error(std::string("No library loaded for it has ") + name);
}

}  // namespace platform
