#pragma once

// Running a piece of code in a child process under a limited address space,
// and measuring how far its resident memory rose: how tests show that a
// decode or a read takes the memory it should and no more.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <functional>

namespace kv::test {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif

// Field of /proc/self/statm in bytes: 0 the address space, 1 the resident
// memory; -1 when it cannot be read.
inline long long statmBytes(int field)
{
    std::ifstream statm("/proc/self/statm");
    long long pages = -1;
    for (int i = 0; i <= field && statm >> pages; ++i) {
    }
    return statm ? pages * ::sysconf(_SC_PAGESIZE) : -1;
}

// What the code run in the child hands back.
using Answer = std::array<int, 4>;

struct ChildRun {
    bool finished = false;  // the child ran the code and reported
    int status = 0;         // its wait status
    Answer answer{};        // what the code returned
    long long peakGrowthMb = -1;  // how far its resident memory rose at the peak
};

// Runs the code in a child process whose address space may grow by at most
// extraBytes beyond what it starts with. Sanitizer builds reserve terabytes
// of address space: there the code runs without the limit, and only the
// resident memory tells.
inline ChildRun runUnderMemoryLimit(long long extraBytes, const std::function<Answer()>& code)
{
    struct Report {
        Answer answer;
        long long peakGrowthMb;
    };
    int pipe[2];
    if (::pipe(pipe) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        const long long resident = statmBytes(1);
        const long long space = statmBytes(0);
        if (resident < 0 || space < 0)
            std::_Exit(3);
        if (!kAddressSanitizer) {
            const rlim_t limit = static_cast<rlim_t>(space + extraBytes);
            const rlimit bound{limit, limit};
            if (::setrlimit(RLIMIT_AS, &bound) != 0)
                std::_Exit(3);
        }
        Report report{};
        try {
            report.answer = code();
        } catch (...) {
            std::_Exit(5);  // out of memory, for one
        }
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        report.peakGrowthMb = (static_cast<long long>(usage.ru_maxrss) * 1024 - resident) >> 20;
        const bool written = ::write(pipe[1], &report, sizeof report) == static_cast<ssize_t>(sizeof report);
        std::_Exit(written ? 0 : 4);
    }
    ::close(pipe[1]);
    ChildRun run;
    Report report{};
    const bool read = child > 0 && ::read(pipe[0], &report, sizeof report) == static_cast<ssize_t>(sizeof report);
    ::close(pipe[0]);
    if (child > 0)
        ::waitpid(child, &run.status, 0);
    run.finished = read && WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0;
    run.answer = report.answer;
    run.peakGrowthMb = report.peakGrowthMb;
    return run;
}

}  // namespace kv::test
