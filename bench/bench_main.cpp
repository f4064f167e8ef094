#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "settings/Fonts.h"

namespace {

// "--peak-of program args...": runs the program and prints the largest resident size
// it reached, in KB. Done from this process while it is still small: a child's peak
// counts the memory of the process it was forked from, so one forked from a benchmark
// holding decoded photos would report their size instead of its own.
int peakOf(char **command)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::execv(command[0], command);
        std::_Exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child)
        return 127;
    std::printf("%ld\n", usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--peak-of") == 0)
        return peakOf(argv + 2);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The windows made here must not touch the real user's settings, nor leave
    // recovery copies of what the benchmarks typed among the user's.
    QTemporaryDir config;
    if (config.isValid()) {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path() + QStringLiteral("/config")));
        qputenv("XDG_STATE_HOME", QFile::encodeName(config.path() + QStringLiteral("/state")));
    }
    QApplication app(argc, argv);
    korvel::installFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
