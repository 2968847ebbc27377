#include "tool/platform.h"

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrel {

namespace {

bool same_file(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::FILE* refuse(int fd) {
    close(fd);
    return nullptr;
}

// Puts descriptor `fd` on the null device, for reading if it is standard input.
bool put_on_null_device(int fd) {
    const int null_device = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (null_device < 0) {
        return false;
    }
    if (null_device == fd) {
        return true;
    }
    const bool moved = dup2(null_device, fd) == fd;
    close(null_device);
    return moved;
}

// Console text written into the source or the image would damage it, as in
// `tavrel in.nes out.nes >out.nes`: where standard output is `opened`, or
// cannot be told apart from it, the console is put on the null device, with
// the text still in its buffer. False if that cannot be done.
bool keep_console_out_of(const struct stat& opened) {
    struct stat console;
    return (fstat(STDOUT_FILENO, &console) == 0 && !same_file(console, opened)) ||
           put_on_null_device(STDOUT_FILENO);
}

} // namespace

bool prepare_process() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && !put_on_null_device(fd)) {
            return false;
        }
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    return true;
}

std::FILE* open_source(char* argv[], int index) {
    const char* path = argv[index];
    // Anything but a regular file is refused before it is opened: opening a
    // FIFO waits for a writer, opening a device can act on it.
    struct stat named;
    if (stat(path, &named) != 0 || !S_ISREG(named.st_mode)) {
        return nullptr;
    }
    // The path may name something else by now: the open cannot block or take
    // a terminal, and what it opened is checked again.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return nullptr;
    }
    struct stat opened;
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || !same_file(named, opened) ||
        !keep_console_out_of(opened)) {
        return refuse(fd);
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags == -1 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        return refuse(fd);
    }
    std::FILE* source = fdopen(fd, "rb");
    return source != nullptr ? source : refuse(fd);
}

std::FILE* open_output(char* argv[], int index, std::FILE* source) {
    // Opened without truncating: if this is the source, nothing is lost yet.
    const int fd = open(argv[index], O_WRONLY | O_CREAT | O_NOCTTY, 0666);
    if (fd < 0) {
        return nullptr;
    }
    struct stat opened;
    struct stat read_from;
    if (fstat(fd, &opened) != 0 || fstat(fileno(source), &read_from) != 0 ||
        same_file(opened, read_from) || !keep_console_out_of(opened)) {
        return refuse(fd);
    }
    if (S_ISREG(opened.st_mode) && ftruncate(fd, 0) != 0) {
        return refuse(fd);
    }
    std::FILE* output = fdopen(fd, "wb");
    return output != nullptr ? output : refuse(fd);
}

} // namespace tavrel
