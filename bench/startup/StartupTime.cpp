// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of telvar --simulate beside a bare Qt Widgets window, run after run in turn: the time from
// fork to the first top-level window mapped on the X server, and the process's peak resident memory by
// then. Each telvar run gets a home and runtime folder of its own, so it starts as a first start would
// and no running copy answers for it. The runtime folders lie in /dev/shm where there is one: a desktop's
// runtime folder is a tmpfs, where the single-instance lock costs no disk sync. Run it under an X server
// without a window manager:
//   xvfb-run -a build/bench/startup/startup_time [RUNS]
#include <xcb/xcb.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <string>
#include <vector>

namespace {

struct Sample {
    double ms;
    long peakKb;
};

std::string makeFolder(const std::string& pattern) {
    std::string path = pattern;
    if (!mkdtemp(path.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return path;
}

// Starts `argv` and waits until it maps a top-level window; the process is then killed and reaped.
std::optional<Sample> measure(xcb_connection_t* x, const std::vector<std::string>& argv,
                              const std::string& home, const std::string& runtime) {
    std::fflush(stdout); // the child must not print what the parent has buffered
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!home.empty()) {
            mkdir(runtime.c_str(), 0700);
            setenv("HOME", home.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
            setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
        }
        if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr))
            _exit(127);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    std::optional<Sample> sample;
    const auto limit = start + std::chrono::seconds(20);
    pollfd watch{xcb_get_file_descriptor(x), POLLIN, 0};
    while (!sample && std::chrono::steady_clock::now() < limit) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY && !sample)
                sample =
                    Sample{std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                               .count(),
                           0};
            std::free(event);
        }
        if (!sample)
            poll(&watch, 1, 100);
    }
    kill(pid, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (sample)
        sample->peakKb = usage.ru_maxrss;
    return sample;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "no X server: run under xvfb-run -a\n");
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    const std::string scratch = makeFolder("/tmp/telvar-startup-XXXXXX");
    struct stat shm {};
    const std::string runtimes = stat("/dev/shm", &shm) == 0 && S_ISDIR(shm.st_mode)
                                     ? makeFolder("/dev/shm/telvar-startup-XXXXXX")
                                     : scratch;
    std::vector<double> bareMs, bareKb, telvarMs, telvarKb;
    for (int run = 0; run < runs; ++run) {
        const auto bare = measure(x, {BARE_WINDOW_PATH}, {}, {});
        const std::string home = makeFolder(scratch + "/run-XXXXXX");
        const auto telvar =
            measure(x, {TELVAR_PATH, "--simulate"}, home, runtimes + "/run-" + std::to_string(run));
        if (!bare || !telvar) {
            std::fprintf(stderr, "run %d: no window was mapped within 20 s\n", run + 1);
            return 1;
        }
        bareMs.push_back(bare->ms);
        bareKb.push_back(double(bare->peakKb));
        telvarMs.push_back(telvar->ms);
        telvarKb.push_back(double(telvar->peakKb));
        std::printf("run %d: bare %.1f ms %ld kB, telvar %.1f ms %ld kB\n", run + 1, bare->ms, bare->peakKb,
                    telvar->ms, telvar->peakKb);
    }
    const double bareTime = median(bareMs), telvarTime = median(telvarMs);
    const double bareMemory = median(bareKb), telvarMemory = median(telvarKb);
    std::printf("median of %d: to the window mapped: telvar %.1f ms, bare %.1f ms (%.2fx)\n", runs,
                telvarTime, bareTime, telvarTime / bareTime);
    std::printf("median of %d: peak memory: telvar %.1f MB, bare %.1f MB (%.2fx)\n", runs,
                telvarMemory / 1024, bareMemory / 1024, telvarMemory / bareMemory);
    if (std::system(("rm -rf " + scratch + " " + runtimes).c_str()) != 0)
        std::fprintf(stderr, "the scratch folders %s and %s were not all removed\n", scratch.c_str(),
                     runtimes.c_str());
    return 0;
}
