// Finding an earlier installation of the same application and adopting its folder and type.
#pragma once

namespace installer {

// May end the process (a refused older version) or restart it with administrator rights.
void CheckPreviousInstall();

}  // namespace installer
