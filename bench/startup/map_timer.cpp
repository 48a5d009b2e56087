// Measures how long programs take from process start until their first
// window is mapped on the X server. Usage:
//
//   bench_map_timer RUNS PROGRAM BARE_PROGRAM [MAX_RATIO]
//
// Runs the two programs alternately RUNS times each, so that both see the same
// machine, after one uncounted warm-up run of each. The order within a round
// swaps every round, so that neither program always follows the other. For each
// program it prints the median time to the first map and the median CPU time the
// process had used by then (all its threads, from the scheduler's accounting),
// then the ratio of the two median times. Given MAX_RATIO, it ends with a PASS or
// FAIL line for "PROGRAM's median time is at most MAX_RATIO times BARE_PROGRAM's"
// and exits with 1 on FAIL.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Sample
{
    double wallMs = -1;
    double cpuMs = -1;
};

// Milliseconds the scheduler has run the live threads of a process.
double cpuMilliseconds(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR *dir = opendir(tasks.c_str());
    if (dir == nullptr)
        return -1;
    double nanoseconds = 0;
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const std::string path = tasks + "/" + entry->d_name + "/schedstat";
        if (FILE *file = std::fopen(path.c_str(), "r")) {
            unsigned long long runtime = 0;
            if (std::fscanf(file, "%llu", &runtime) == 1)
                nanoseconds += static_cast<double>(runtime);
            std::fclose(file);
        }
    }
    closedir(dir);
    return nanoseconds / 1e6;
}

// Starts the program and measures until the X server reports the first map of
// a top-level window. The program is stopped at that moment, so that the CPU
// time read afterwards is the time it took to get there. Negative figures mean
// failure.
Sample timeToFirstMap(xcb_connection_t *connection, const char *program)
{
    // Drain anything left over from the previous run.
    while (xcb_generic_event_t *stale = xcb_poll_for_event(connection))
        std::free(stale);

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child < 0)
        return {};
    if (child == 0) {
        execl(program, program, static_cast<char *>(nullptr));
        _exit(127);
    }

    Sample sample;
    while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
        std::free(event);
        if (mapped) {
            sample.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            kill(child, SIGSTOP);
            sample.cpuMs = cpuMilliseconds(child);
            break;
        }
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return sample;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Series
{
    const char *program;
    std::vector<double> wall;
    std::vector<double> cpu;

    bool add(xcb_connection_t *connection, bool counted)
    {
        const Sample sample = timeToFirstMap(connection, program);
        if (sample.wallMs < 0)
            return false;
        if (counted) {
            wall.push_back(sample.wallMs);
            cpu.push_back(sample.cpuMs);
        }
        return true;
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM BARE_PROGRAM [MAX_RATIO]\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const double maxRatio = argc == 5 ? std::atof(argv[4]) : 0;
    if (runs < 1 || (argc == 5 && maxRatio <= 0)) {
        std::fprintf(stderr, "%s: RUNS and MAX_RATIO must be positive\n", argv[0]);
        return 2;
    }
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "%s: cannot connect to the X server\n", argv[0]);
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    Series program{argv[2], {}, {}};
    Series bare{argv[3], {}, {}};
    for (int round = 0; round <= runs; ++round) {
        // Round 0 warms the page cache and the X server up and is not counted.
        const bool counted = round > 0;
        Series &first = round % 2 ? program : bare;
        Series &second = round % 2 ? bare : program;
        if (!first.add(connection, counted) || !second.add(connection, counted)) {
            std::fprintf(stderr, "%s: a program did not map a window\n", argv[0]);
            return 1;
        }
    }
    xcb_disconnect(connection);

    const double programMs = median(program.wall), bareMs = median(bare.wall);
    for (const Series *series : {&program, &bare})
        std::printf("%-40s median %7.1f ms to first map, %6.1f ms CPU by then (%d runs)\n",
                    series->program, median(series->wall), median(series->cpu), runs);
    const double ratio = programMs / bareMs;
    std::printf("ratio %.3f\n", ratio);
    if (maxRatio <= 0)
        return 0;
    const bool pass = ratio <= maxRatio;
    std::printf("%s startup: %.1f ms against %.1f ms for the bare window, ratio %.3f "
                "(target: at most %.2f)\n",
                pass ? "PASS" : "FAIL", programMs, bareMs, ratio, maxRatio);
    return pass ? 0 : 1;
}
