#include "startupwatch.h"

#include "figures.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <sys/resource.h>

namespace bench {

long long nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string Moments::line() const
{
    char text[512];
    std::snprintf(text, sizeof text,
                  "STARTUP main=%lld app=%lld form=%lld shown=%lld exposed=%lld painted=%lld "
                  "tick=%lld rss=%ld cpu=%lld wait=%lld sleeps=%ld",
                  main, app, form, shown, exposed, painted, tick, rssKib, onCpuNs, waitingNs,
                  sleeps);
    return text;
}

bool Moments::parse(const std::string &text)
{
    return std::sscanf(text.c_str(),
                       "STARTUP main=%lld app=%lld form=%lld shown=%lld exposed=%lld "
                       "painted=%lld tick=%lld rss=%ld cpu=%lld wait=%lld sleeps=%ld",
                       &main, &app, &form, &shown, &exposed, &painted, &tick, &rssKib, &onCpuNs,
                       &waitingNs, &sleeps) == 11;
}

StartupWatch::StartupWatch(QWidget *window, long long mainNs, long long appNs) : m_window(window)
{
    moments.main = mainNs;
    moments.app = appNs;
}

void StartupWatch::windowBuilt()
{
    moments.form = nowNs();
}

void StartupWatch::shown()
{
    moments.shown = nowNs();
}

void StartupWatch::check()
{
    Moments &m = moments;
    if (m.tick || !m.exposed || !m.painted || (ready && !ready()))
        return;
    m.tick = nowNs();
    m.rssKib = residentKib();
    threadSchedStat(&m.onCpuNs, &m.waitingNs);
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    m.sleeps = usage.ru_nvcsw;
    std::printf("%s\n", m.line().c_str());
    std::fflush(stdout);
    if (printMaps)
        printMappings();
    if (finish)
        finish();
}

bool StartupWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && !moments.exposed) {
        auto *window = qobject_cast<QWindow *>(watched);
        if (window && window == m_window->windowHandle() && window->isExposed())
            moments.exposed = nowNs();
    } else if (event->type() == QEvent::Paint && watched == m_window && !moments.painted) {
        moments.painted = nowNs();
        QTimer::singleShot(0, m_window, [this] { check(); });
    }
    return false;
}

void printMappings()
{
    std::FILE *smaps = std::fopen("/proc/self/smaps", "r");
    if (!smaps)
        return;
    std::map<std::string, long> kibByName;
    std::string current = "[anon]";
    char line[4096];
    while (std::fgets(line, sizeof line, smaps)) {
        unsigned long from = 0;
        unsigned long to = 0;
        char perms[8] = {};
        int nameAt = 0;
        // A mapping's first line: range, permissions, offset, device, inode, then the name.
        if (std::sscanf(line, "%lx-%lx %7s %*s %*s %*s %n", &from, &to, perms, &nameAt) == 3 &&
            nameAt > 0) {
            std::string name = line + nameAt;
            while (!name.empty() && (name.back() == '\n' || name.back() == ' '))
                name.pop_back();
            current = name.empty() ? "[anon]" : name;
            continue;
        }
        long kib = 0;
        if (std::sscanf(line, "Rss: %ld kB", &kib) == 1)
            kibByName[current] += kib;
    }
    std::fclose(smaps);
    for (const auto &[name, kib] : kibByName)
        std::printf("MAP\t%ld\t%s\n", kib, name.c_str());
    std::printf("MAP-END\n");
    std::fflush(stdout);
}

} // namespace bench
