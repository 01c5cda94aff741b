// Not written yet: generates nothing.
#include "assetgen.h"

namespace assetgen {
bool generateModel(const std::string&) { return true; }
}  // namespace assetgen
