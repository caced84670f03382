#include "spawnedprocess.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace bench {

namespace {

int msUntil(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? int(left.count()) : 0;
}

} // namespace

SpawnedProcess::~SpawnedProcess()
{
    if (m_pid > 0)
        reap(std::chrono::steady_clock::now());
    if (m_output >= 0)
        ::close(m_output);
}

bool SpawnedProcess::start(const std::vector<std::string> &arguments, std::string *error)
{
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        *error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDERR_FILENO);
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    const int failed = posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    if (failed != 0) {
        ::close(pipe[0]);
        m_pid = -1;
        *error = "cannot start " + arguments.front() + ": " + std::strerror(failed);
        return false;
    }
    m_output = pipe[0];
    return true;
}

bool SpawnedProcess::readLine(std::chrono::steady_clock::time_point deadline, std::string *line)
{
    while (true) {
        const std::size_t end = m_buffer.find('\n');
        if (end != std::string::npos) {
            *line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            return true;
        }
        if (m_output < 0)
            return false;
        pollfd p{m_output, POLLIN, 0};
        const int ready = ::poll(&p, 1, msUntil(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        char chunk[4096];
        const ssize_t n = ::read(m_output, chunk, sizeof chunk);
        if (n <= 0) {
            ::close(m_output);
            m_output = -1;
            if (!m_buffer.empty()) {
                *line = m_buffer;
                m_buffer.clear();
                return true;
            }
            return false;
        }
        m_buffer.append(chunk, std::size_t(n));
    }
}

void SpawnedProcess::terminate()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGTERM);
}

bool SpawnedProcess::reap(std::chrono::steady_clock::time_point deadline)
{
    if (m_pid <= 0)
        return true;
    int status = 0;
    rusage usage{};
    bool killed = false;
    while (true) {
        const pid_t done = ::wait4(m_pid, &status, WNOHANG, &usage);
        if (done == m_pid || (done < 0 && errno != EINTR))
            break;
        if (std::chrono::steady_clock::now() >= deadline && !killed) {
            ::kill(m_pid, SIGKILL);
            killed = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    m_pid = -1;
    cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    peakKib = usage.ru_maxrss;
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return !killed;
}

} // namespace bench
