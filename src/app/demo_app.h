// The demo's entry function.
#pragma once

namespace qorFramework {
int demoMain(int argc, char** argv);
}
