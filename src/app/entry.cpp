#include "app/entry.h"

namespace qorFramework {
int demoMain(int, char**) { return 0; }
}
