#include "app/demo_app.h"

namespace qorFramework {
int demoMain(int, char**) { return 0; }
}
