// The few things the driver needs from the operating system beyond C stdio.
#pragma once

#include <cstdio>

namespace tavrel {

// Lets the process outlive its console: a reader of standard output that goes
// away only makes the console texts fail, it does not end the process.
void ignore_lost_console();

// True if `file` is a file on disk, which can serve absolute seeks and reads:
// not a directory, pipe, socket, terminal or other device.
bool is_disk_file(std::FILE* file);

// True if `path` names an existing file that is the same file as the open
// `file`, under whatever spelling or link.
bool names_same_file(const char* path, std::FILE* file);

} // namespace tavrel
