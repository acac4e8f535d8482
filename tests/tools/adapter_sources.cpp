// Compiles the testable logic of the tool adapters into the test program
// (the adapters themselves are a separate executable). Only this file may
// include these sources; the tests include the headers.
#include "tools/adapters/commands.cpp"
#include "tools/adapters/frames.cpp"
#include "tools/adapters/json.cpp"
#include "tools/adapters/report.cpp"
#include "tools/adapters/system_posix.cpp"
#include "tools/adapters/track_map.cpp"
