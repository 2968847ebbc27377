#include "tool/platform.h"

#include <csignal>
#include <sys/stat.h>

namespace tavrel {

void ignore_lost_console() {
    std::signal(SIGPIPE, SIG_IGN);
}

bool is_disk_file(std::FILE* file) {
    struct stat info;
    return fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode);
}

bool names_same_file(const char* path, std::FILE* file) {
    struct stat named;
    struct stat opened;
    return stat(path, &named) == 0 && fstat(fileno(file), &opened) == 0 &&
           named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
}

} // namespace tavrel
