// Runs the built tool as a process, the way a user's shell would.
#pragma once

#include <string>
#include <vector>

namespace tavrel_test {

// Where the tool's standard output goes.
enum class console {
    captured,    // a file, read back after the run
    closed,      // no descriptor at all, and none for standard input either
    full_device, // /dev/full: every write fails
    no_reader,   // a pipe whose reading end is already closed
};

struct tool_result {
    int status = -1; // exit status, or -1 if the process did not exit normally
    std::string out; // standard output bytes, when captured
    std::string err; // standard error bytes
};

// Runs the tool with `args` (after the program name) in the folder `cwd`.
tool_result run_tool(const std::vector<std::string>& args, const std::string& cwd,
                     console out = console::captured);

} // namespace tavrel_test
