// The fuzz targets link the readers without the window module; tracing never asks to quit
// here (traceQuitLevel stays -1), so this stands in for the window's quit request.
namespace platform {
void postQuitMessage(int) {}
}  // namespace platform
