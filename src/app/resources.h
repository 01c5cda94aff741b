// Where the program's resources folder is. A build keeps it beside the binary
// (build/dovrix, build/resources); an installed tree keeps it under share/ of the prefix
// (P/bin/dovrix, P/share/dovrix/resources). The look-up is a pure function of the binary's
// folder and an existence check, so it can be tried on made-up trees; enterResources applies it
// to the running process.
// Depends on: platform/system.h (the executable's folder, the working directory).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qorFramework {

struct ResourceSearch {
  std::string folder;               // the folder found; empty when none
  std::vector<std::string> tried;   // every candidate, in the order looked at
};

// Candidates for a binary in `binaryFolder` (no trailing separator): `binaryFolder/resources`,
// then `PARENT/share/dovrix/resources`. The first for which `exists` holds wins.
ResourceSearch findResources(const std::string& binaryFolder,
                             const std::function<bool(const std::string&)>& exists);

// The one line (with its newline) that says no resources folder was found and where it looked.
std::string resourcesNotFoundMessage(const ResourceSearch& search);

// Looks beside the running executable (its real folder, symbolic links resolved) and makes the
// folder found the working directory. False, after writing resourcesNotFoundMessage to the
// debugger output, when there is none or it cannot be entered.
bool enterResources();

}  // namespace qorFramework
