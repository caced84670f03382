#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace bench {

// A program started as a child process with its standard output and error on one pipe, read
// line by line with a deadline, and reaped with the kernel's account of what it used.
class SpawnedProcess
{
public:
    SpawnedProcess() = default;
    ~SpawnedProcess();
    SpawnedProcess(const SpawnedProcess &) = delete;
    SpawnedProcess &operator=(const SpawnedProcess &) = delete;

    // Starts program with arguments (argv[0] included) in the current environment; false and
    // error set when it could not be started.
    bool start(const std::vector<std::string> &arguments, std::string *error);
    // The next whole line the child wrote; false at end of output or when the deadline passed.
    bool readLine(std::chrono::steady_clock::time_point deadline, std::string *line);
    // Asks the child to end (SIGTERM), unless it has already been reaped.
    void terminate();
    // Waits for the child to end, killing it when it is not gone by the deadline; false when it
    // had to be killed.
    bool reap(std::chrono::steady_clock::time_point deadline);

    // Valid after reap(): CPU time (user + system) in seconds and peak resident size in KiB.
    double cpuSeconds = 0.0;
    long peakKib = 0;
    int exitCode = -1;

private:
    pid_t m_pid = -1;
    int m_output = -1;
    std::string m_buffer;
};

} // namespace bench
