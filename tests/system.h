// What the tests need from the operating system: running the built tool as a
// process, and the expected console bytes, converted independently of the
// tool's own texts.
#pragma once

#include <string>
#include <vector>

namespace tavrel_test {

// Where the tool's standard output goes.
enum class console {
    captured,    // a pipe, read to its end
    closed,      // no standard output, and no standard input either
    full_device, // a device on which every write fails (POSIX only)
    no_reader,   // a pipe whose reading end is already closed
};

// The ways of losing the console that this system can set up.
std::vector<console> lost_consoles();

struct tool_result {
    int status = -1; // exit status, or -1 if the process did not exit normally or was
                     // stopped after a minute, far longer than any run takes
    std::string out; // standard output bytes, when captured
    std::string err; // standard error bytes
};

// Runs the tool with `args` (after the program name) in the folder `cwd`. A
// run that has not ended after a minute is killed.
tool_result run_tool(const std::vector<std::string>& args, const std::string& cwd,
                     console out = console::captured);

// Runs the tool with its standard output appended to the file `console_file`
// (in `cwd`), which is created if missing.
tool_result run_tool_with_console_in(const std::vector<std::string>& args, const std::string& cwd,
                                     const std::string& console_file);

#ifdef _WIN32
// The built tool's path. Under Wine it is a Unix one, which Wine reaches
// through drive Z:.
std::string tool_path();

// Runs the tool with arguments in UTF-16, as a Windows shell passes names that
// the ANSI code page cannot spell.
tool_result run_tool_wide(const std::vector<std::wstring>& args, const std::string& cwd,
                          console out = console::captured);
#else
// Runs the tool with a file-size limit (RLIMIT_FSIZE) of `bytes`.
tool_result run_tool_with_file_size_limit(const std::vector<std::string>& args,
                                          const std::string& cwd, unsigned long bytes);
#endif

// UTF-8 text converted to CP932 (Shift-JIS) bytes by the system's own converter.
std::string sjis(const std::string& utf8);

// How a line that the tool prints on its console ends on this system.
extern const char console_line_end[];

} // namespace tavrel_test
