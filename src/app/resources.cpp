#include "app/resources.h"

#include "platform/system.h"

namespace qorFramework {

ResourceSearch findResources(const std::string& binaryFolder,
                             const std::function<bool(const std::string&)>& exists) {
  ResourceSearch search;
  search.tried = {binaryFolder + "/resources", platform::parentFolder(binaryFolder) + "/share/dovrix/resources"};
  for (const std::string& candidate : search.tried) {
    if (exists(candidate)) {
      search.folder = candidate;
      break;
    }
  }
  return search;
}

std::string resourcesNotFoundMessage(const ResourceSearch& search) {
  std::string line = "dovrix: no resources folder found; looked in";
  for (size_t i = 0; i < search.tried.size(); ++i) line += (i == 0 ? " " : " and ") + search.tried[i];
  return line + "\n";
}

bool enterResources() {
  ResourceSearch search = findResources(platform::executableFolder(), [](const std::string& folder) {
    return platform::folderExists(folder.c_str());
  });
  if (!search.folder.empty() && platform::changeDirectory(search.folder.c_str())) return true;
  platform::debugOutput(resourcesNotFoundMessage(search).c_str());
  return false;
}

}  // namespace qorFramework
