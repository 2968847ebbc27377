#include "tests/system.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <iconv.h>
#include <poll.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavrel_test {

namespace {

void redirect(const char* path, int flags, int target) {
    const int fd = open(path, flags, 0644);
    if (fd < 0 || dup2(fd, target) < 0) {
        _exit(126);
    }
    close(fd);
}

// A run that takes longer than this has hung; it is killed, so that a broken
// tool fails its test instead of stalling the suite.
constexpr int run_limit_seconds = 60;

// Reads both pipes to their ends, or until the time limit; false if that passed.
bool drain(int out_fd, int err_fd, std::string& out, std::string& err) {
    const std::time_t deadline = std::time(nullptr) + run_limit_seconds;
    pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
    std::string* sinks[2] = {&out, &err};
    int open_count = (out_fd >= 0) + (err_fd >= 0);
    while (open_count > 0) {
        const std::time_t left = deadline - std::time(nullptr);
        if (left <= 0) {
            for (const pollfd& fd : fds) {
                if (fd.fd >= 0) {
                    close(fd.fd);
                }
            }
            return false;
        }
        const int ready = poll(fds, 2, static_cast<int>(left) * 1000);
        if (ready < 0 && errno != EINTR) {
            throw std::runtime_error("poll failed");
        }
        for (int i = 0; i < 2 && ready > 0; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char block[4096];
            const ssize_t got = read(fds[i].fd, block, sizeof block);
            if (got > 0) {
                sinks[i]->append(block, static_cast<std::size_t>(got));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_count;
            }
        }
    }
    return true;
}

void make_pipe(int ends[2]) {
    if (pipe(ends) != 0) {
        throw std::runtime_error("pipe failed");
    }
}

} // namespace

std::vector<console> lost_consoles() {
    if (access("/dev/full", W_OK) != 0) { // Linux and FreeBSD have it, macOS does not
        return {console::closed, console::no_reader};
    }
    return {console::closed, console::full_device, console::no_reader};
}

const char console_line_end[] = "\n";

std::string sjis(const std::string& utf8) {
    iconv_t converter = iconv_open("CP932", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv cannot convert UTF-8 to CP932");
    }
    std::string in = utf8;
    std::string out(in.size() * 2 + 1, '\0');
    char* in_next = in.data();
    std::size_t in_left = in.size();
    char* out_next = out.data();
    std::size_t out_left = out.size();
    const std::size_t converted = iconv(converter, &in_next, &in_left, &out_next, &out_left);
    iconv_close(converter);
    if (converted == static_cast<std::size_t>(-1) || in_left != 0) {
        throw std::runtime_error("text has no CP932 form: " + utf8);
    }
    out.resize(out.size() - out_left);
    return out;
}

namespace {

tool_result run(const std::vector<std::string>& args, const std::string& cwd, console out,
                unsigned long file_size_limit, const char* console_file) {
    int out_pipe[2];
    int err_pipe[2];
    make_pipe(out_pipe);
    make_pipe(err_pipe);
    if (out == console::no_reader) {
        close(out_pipe[0]);
        out_pipe[0] = -1;
    }

    std::string program = TAVREL_PATH;
    std::vector<std::string> copies = args;
    std::vector<char*> argv{program.data()};
    for (std::string& arg : copies) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        if (chdir(cwd.c_str()) != 0) {
            _exit(126);
        }
        if (file_size_limit != 0) {
            const rlimit limit{file_size_limit, file_size_limit};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                _exit(126);
            }
        }
        dup2(err_pipe[1], STDERR_FILENO);
        if (out == console::closed) {
            close(STDIN_FILENO); // lets the files the tool opens take descriptors 0 and 1
        } else {
            redirect("/dev/null", O_RDONLY, STDIN_FILENO);
        }
        switch (out) {
        case console::captured:
        case console::no_reader:
            if (console_file != nullptr) {
                redirect(console_file, O_WRONLY | O_CREAT | O_APPEND, STDOUT_FILENO);
            } else {
                dup2(out_pipe[1], STDOUT_FILENO);
            }
            break;
        case console::closed:
            close(STDOUT_FILENO);
            break;
        case console::full_device:
            redirect("/dev/full", O_WRONLY, STDOUT_FILENO);
            break;
        }
        for (int fd : {out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) {
            if (fd > STDERR_FILENO) {
                close(fd);
            }
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);

    tool_result result;
    const bool ended = drain(out_pipe[0], err_pipe[0], result.out, result.err);
    if (!ended) {
        kill(child, SIGKILL);
    }
    int wait_status = 0;
    if (waitpid(child, &wait_status, 0) != child) {
        throw std::runtime_error("waitpid failed");
    }
    result.status = ended && WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    return result;
}

} // namespace

tool_result run_tool(const std::vector<std::string>& args, const std::string& cwd, console out) {
    return run(args, cwd, out, 0, nullptr);
}

tool_result run_tool_with_file_size_limit(const std::vector<std::string>& args,
                                          const std::string& cwd, unsigned long bytes) {
    return run(args, cwd, console::captured, bytes, nullptr);
}

tool_result run_tool_with_console_in(const std::vector<std::string>& args, const std::string& cwd,
                                     const std::string& console_file) {
    return run(args, cwd, console::captured, 0, console_file.c_str());
}

} // namespace tavrel_test
