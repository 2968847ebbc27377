// What the driver needs from the operating system beyond C stdio: a process
// that cannot be tricked into writing its console into a file, and files
// opened as verified handles. Every check is made on the handle actually
// opened, never on a path before or after, so that nothing can change between
// a check and the act it guards.
#pragma once

#include <cstdio>

namespace tavrel {

// Makes sure the standard descriptors are open (on the null device where one is
// closed), so that no file the tool opens can become its console, and lets a
// lost console or a file-size limit fail a write instead of ending the process.
// False if that cannot be done.
bool prepare_process();

// Opens command-line argument `index` (spelled `argv[index]`) as the source:
// a regular file, opened for binary reading, without waiting on a FIFO or
// taking a terminal. Anything else, or anything that cannot be verified, gives
// nullptr. On Windows the file opened is the one named by the argument as
// typed, also where the ANSI code page cannot spell its name. Where standard
// output is this same file (`>>in.nes`), the console is put on the null
// device, so that its text cannot be written into the file.
std::FILE* open_source(char* argv[], int index);

// Opens command-line argument `index` as the output for binary writing,
// created if missing. It is emptied only once the opened file is known not to
// be `source`; one that cannot be emptied because it is no regular file (a
// null device, a pipe, a terminal) is written as it is. Gives nullptr if it
// cannot be opened or emptied, if it is the source under any name, or if
// that cannot be told. Where standard output is this same file or pipe, the
// console is put on the null device, as for the source.
std::FILE* open_output(char* argv[], int index, std::FILE* source);

} // namespace tavrel
