#pragma once

#include <string>
#include <vector>

// The figures every benchmark hands to the summary table, and the process readings they are
// taken from. Plain C++ with no Qt, so the start-up benchmark loads exactly the libraries the
// console loads.
namespace bench {

// One line of the summary table. Printed as FIGURE, name, value, unit, target and "met" or
// "not met", separated by tabs; bench/run_all.sh collects these lines.
struct Figure
{
    std::string name;
    double value = 0.0;
    int decimals = 1;
    std::string unit;
    std::string target;
    bool met = false;
};

void printFigure(const Figure &figure);
// A figure printed for reference beside the one that carries the target: no target, and
// "for reference" where the others say whether it was met.
void printReference(const std::string &name, double value, int decimals, const std::string &unit);

// Target texts for a figure: "<= limit" and ">= limit".
std::string atMost(double limit);
std::string atLeast(double limit);

// Resident set size of this process (VmRSS of /proc/self/status) in KiB; -1 when unreadable.
long residentKib();

inline double kibToMib(long kib)
{
    return double(kib) / 1024.0;
}

// The calling thread's time so far on a CPU and ready but waiting for one, in nanoseconds, from
// the kernel's schedstat; false when unreadable.
bool threadSchedStat(long long *onCpuNs, long long *waitingNs);

// Time the hypervisor gave this machine's CPUs to others so far (steal in /proc/stat), summed
// over all CPUs, in milliseconds; 0 when unreadable.
double stealMs();

// The first line of /proc/loadavg, to tell a busy machine from a slow console.
std::string loadAverageLine();

// A duration in seconds from the environment, or fallback when unset or not a positive number.
double secondsFromEnvironment(const char *name, double fallback);

// The middle value, or the mean of the two middle values; 0 when there are none.
double median(std::vector<double> values);
double minOf(const std::vector<double> &values);
double maxOf(const std::vector<double> &values);

} // namespace bench
