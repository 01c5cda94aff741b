// Process entry: hands the command line to the demo's entry function.
#include "app/entry.h"

int main(int argc, char** argv) { return qorFramework::demoMain(argc, argv); }
