// Starting another program for the player (the desktop's file opener) without a shell.
#pragma once

#include <string>
#include <vector>

namespace rs::platform {

// Starts `argv[0]` (searched in PATH) with the argument vector as given and `workingFolder` as
// its current folder; nothing goes through a shell. Returns the process id, or -1 when it could
// not be started. The caller reaps it with reapFinished.
int startProgram(const std::vector<std::string>& argv, const std::string& workingFolder);

// Reaps the programs of the list that have ended, without waiting, and drops them from it.
void reapFinished(std::vector<int>& pids);

// The resident memory of this process in KiB (VmRSS), or -1 when it cannot be read.
long residentMemoryKb();

}  // namespace rs::platform
