#pragma once

#include <string>
#include <vector>

// How one run of tvntool ended, run as a file manager's thumbnailer or a
// user's shell would, but held to 512 MB of data (heap and
// private mappings).
struct ToolRun {
    int         exitCode = -1;      // -1 when a signal ended it
    int         signal = 0;
    double      seconds = 0;
    std::string errors;             // standard error, its first megabyte
    size_t      errorBytes = 0;     // all it wrote there
};

// False (and the test should skip) in sanitizer builds, whose shadow memory
// does not fit the limit.
bool CanLimitTool();

// Runs tvntool (or the one ORRIN_TVNTOOL names) with args; killed after killAfterSeconds so a hang fails the
// test with its figures instead of running into ctest's timeout.
ToolRun RunToolLimited(const std::vector<std::string>& args, double killAfterSeconds = 40);

// A line for a failed expectation: what the run did.
std::string Describe(const ToolRun& run);
