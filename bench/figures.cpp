#include "figures.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace bench {

void printFigure(const Figure &figure)
{
    std::printf("FIGURE\t%s\t%.*f\t%s\t%s\t%s\n", figure.name.c_str(), figure.decimals,
                figure.value, figure.unit.c_str(), figure.target.c_str(),
                figure.met ? "met" : "not met");
    std::fflush(stdout);
}

void printReference(const std::string &name, double value, int decimals, const std::string &unit)
{
    std::printf("FIGURE\t%s\t%.*f\t%s\t-\tfor reference\n", name.c_str(), decimals, value,
                unit.c_str());
    std::fflush(stdout);
}

namespace {

std::string limitText(const char *relation, double limit)
{
    char text[64];
    std::snprintf(text, sizeof text, "%s %g", relation, limit);
    return text;
}

} // namespace

std::string atMost(double limit)
{
    return limitText("<=", limit);
}

std::string atLeast(double limit)
{
    return limitText(">=", limit);
}

long residentKib()
{
    std::FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    long kib = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, "VmRSS:", 6) == 0) {
            kib = std::strtol(line + 6, nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return kib;
}

bool threadSchedStat(long long *onCpuNs, long long *waitingNs)
{
    *onCpuNs = *waitingNs = 0;
    std::FILE *file = std::fopen("/proc/thread-self/schedstat", "r");
    if (!file)
        return false;
    const bool read = std::fscanf(file, "%lld %lld", onCpuNs, waitingNs) == 2;
    std::fclose(file);
    return read;
}

double stealMs()
{
    std::FILE *file = std::fopen("/proc/stat", "r");
    if (!file)
        return 0.0;
    unsigned long long field[8] = {};
    const int read =
        std::fscanf(file, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &field[0], &field[1],
                    &field[2], &field[3], &field[4], &field[5], &field[6], &field[7]);
    std::fclose(file);
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    return read == 8 && ticksPerSecond > 0 ? 1000.0 * double(field[7]) / double(ticksPerSecond)
                                           : 0.0;
}

std::string loadAverageLine()
{
    std::string line = "unknown";
    if (std::FILE *file = std::fopen("/proc/loadavg", "r")) {
        char text[128];
        if (std::fgets(text, sizeof text, file)) {
            line = text;
            while (!line.empty() && (line.back() == '\n' || line.back() == ' '))
                line.pop_back();
        }
        std::fclose(file);
    }
    return line;
}

double secondsFromEnvironment(const char *name, double fallback)
{
    const char *text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    char *end = nullptr;
    const double value = std::strtod(text, &end);
    return end != text && *end == '\0' && value > 0.0 ? value : fallback;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

double minOf(const std::vector<double> &values)
{
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

double maxOf(const std::vector<double> &values)
{
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

} // namespace bench
