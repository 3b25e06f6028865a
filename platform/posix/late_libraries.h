// Shared libraries opened when first needed rather than at program start, and their functions found by name.
#pragma once

#include <initializer_list>
#include <vector>

namespace platform {

class TLateLibraries {
 public:
  // Opens each library, into the global scope as if the program had been linked with it;
  // std::runtime_error naming the first that cannot be opened. They are never closed: the state they
  // keep (threads, handlers, fonts, type registrations) lives as long as the process.
  explicit TLateLibraries(std::initializer_list<const char*> names);

  // Puts the function of that name into `slot`: from the program's own scope first, so that a
  // preloaded stand-in (the first-frame benchmark's probe) is the one called, then from the libraries
  // in order; std::runtime_error when none has it.
  template <typename F>
  void Find(F& slot, const char* name) const {
    slot = reinterpret_cast<F>(Symbol(name));
  }

 private:
  void* Symbol(const char* name) const;
  std::vector<void*> libraries_;
};

}  // namespace platform
