#include "cli/ChildConsole.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace cli {

namespace {

// A file descriptor closed when it goes out of scope.
class TempFile {
public:
    TempFile() {
        char name[] = "/tmp/webagent-child-XXXXXX";
        m_Fd = mkstemp(name);
        if (m_Fd >= 0) {
            m_Name = name;
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (m_Fd >= 0) {
            close(m_Fd);
            unlink(m_Name.c_str());
        }
    }
    int Fd() const { return m_Fd; }
    std::string Text() const {
        std::ifstream in(m_Name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    int m_Fd = -1;
    std::string m_Name;
};

} // namespace

std::string ConsoleProgram() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string("webagent");
}

bool RunChildConsole(const std::string& program, const std::vector<std::string>& args,
                     ChildRun& run, std::string& error) {
    run = ChildRun();
    // Output goes to files, not pipes: the child may write more than a pipe
    // holds while nobody reads.
    TempFile out;
    TempFile errors;
    if (out.Fd() < 0 || errors.Fd() < 0) {
        error = "no temporary file for the output of \"" + program + "\"";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.Fd(), 1);
    posix_spawn_file_actions_adddup2(&actions, errors.Fd(), 2);
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);
    pid_t child = 0;
    int failed = posix_spawn(&child, program.c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        error = "\"" + program + "\" could not be started: " + std::strerror(failed);
        return false;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = out.Text();
    run.errors = errors.Text();
    return true;
}

} // namespace cli
