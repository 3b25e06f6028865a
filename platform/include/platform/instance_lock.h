// A named lock that lives as long as any process holding it: the single-instance guard's object.
#pragma once

#include <string>

namespace platform {

// Takes (or joins) the lock of this name and keeps it until the process ends. True when the lock
// already existed, held by another process or by an earlier call of this one; false when this call
// created it, and false when it could not be had at all.
bool JoinNamedLock(const std::string& name);
// Lets go of what JoinNamedLock took under this name in this process (a process that hands its work
// to another before it ends); nothing when it holds none.
void LeaveNamedLock(const std::string& name);
// Whether some process holds the lock of this name now, without taking or making it.
bool NamedLockHeld(const std::string& name);

}  // namespace platform
