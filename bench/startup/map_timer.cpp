// Measures how long programs take from process start until their first
// window is mapped on the X server. Usage:
//
//   bench_map_timer RUNS PROGRAM_A PROGRAM_B
//
// Runs the two programs alternately RUNS times each, so that both see the same
// machine, and prints the median time to map for each and their ratio.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Starts the program and returns the milliseconds until the X server reports
// the first map of a top-level window, or a negative value on failure.
double timeToFirstMap(xcb_connection_t *connection, const char *program)
{
    // Drain anything left over from the previous run.
    while (xcb_generic_event_t *stale = xcb_poll_for_event(connection))
        std::free(stale);

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        execl(program, program, static_cast<char *>(nullptr));
        _exit(127);
    }

    double elapsed = -1;
    while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
        std::free(event);
        if (mapped) {
            elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return elapsed;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM_A PROGRAM_B\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "%s: cannot connect to the X server\n", argv[0]);
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        const double ta = timeToFirstMap(connection, argv[2]);
        const double tb = timeToFirstMap(connection, argv[3]);
        if (ta < 0 || tb < 0) {
            std::fprintf(stderr, "%s: a program did not map a window\n", argv[0]);
            return 1;
        }
        a.push_back(ta);
        b.push_back(tb);
    }
    const double ma = median(a), mb = median(b);
    std::printf("%-40s median %7.1f ms to first map (%d runs)\n", argv[2], ma, runs);
    std::printf("%-40s median %7.1f ms to first map (%d runs)\n", argv[3], mb, runs);
    std::printf("ratio %.2f\n", ma / mb);
    xcb_disconnect(connection);
    return 0;
}
