// Not written yet: generates nothing.
#include "assetgen.h"

namespace assetgen {
bool generateMusic(const std::string&) { return true; }
}  // namespace assetgen
