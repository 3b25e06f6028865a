// Finding an earlier installation of the same application and adopting its folder and type.
#pragma once

namespace installer {

// May end the process (a refused older version) or restart it with administrator rights. A silent run
// never asks: a newer installed version ends it, unless it is forced.
void CheckPreviousInstall(bool Silent = false);

}  // namespace installer
