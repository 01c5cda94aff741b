// The demo's entry function: start-up, the scene, the main loop (or the capture), shutdown.
#pragma once

namespace qorFramework {
int demoMain(int argc, char** argv);
}
