// Measures how long Windows programs take from process start until their first window
// is visible, the way a user sees a program start: CreateProcess, then polling for a
// visible top-level window of the given class that belongs to the new process. Usage:
//
//   win32_map_timer RUNS TARGET CLASS_A PROGRAM_A CLASS_B PROGRAM_B
//
// Runs the two programs alternately RUNS times each, so that both see the same machine
// and the same warm Wine, and prints the median time for each and their ratio A / B,
// then "PASS" or "FAIL" against TARGET, the largest ratio allowed.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Search
{
    DWORD processId;
    const char *windowClass;
    bool found;
};

BOOL CALLBACK considerWindow(HWND window, LPARAM data)
{
    auto &search = *reinterpret_cast<Search *>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window)) {
        return TRUE;
    }
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, search.windowClass) == 0) {
        search.found = true;
        return FALSE;
    }
    return TRUE;
}

double secondsNow()
{
    static const double frequency = [] {
        LARGE_INTEGER value;
        QueryPerformanceFrequency(&value);
        return static_cast<double>(value.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

// Starts the program and returns the milliseconds until a window of the class is
// visible, or a negative value when it failed to start or showed none within 20 s.
double timeToVisibleWindow(const char *windowClass, const char *program)
{
    std::string commandLine = "\"" + std::string(program) + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const double start = secondsNow();
    if (!CreateProcessA(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", program, GetLastError());
        return -1;
    }
    double elapsed = -1;
    while (secondsNow() - start < 20) {
        Search search{process.dwProcessId, windowClass, false};
        EnumWindows(considerWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            elapsed = (secondsNow() - start) * 1000;
            break;
        }
        if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) {
            std::fprintf(stderr, "%s ended without showing a %s window\n", program, windowClass);
            break;
        }
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
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
    if (argc != 7) {
        std::fprintf(stderr, "usage: %s RUNS TARGET CLASS_A PROGRAM_A CLASS_B PROGRAM_B\n",
                     argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const double target = std::atof(argv[2]);
    // One start of each before counting, so that neither pays for a cold Wine.
    if (timeToVisibleWindow(argv[3], argv[4]) < 0 || timeToVisibleWindow(argv[5], argv[6]) < 0) {
        return 1;
    }
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        const double ta = timeToVisibleWindow(argv[3], argv[4]);
        const double tb = timeToVisibleWindow(argv[5], argv[6]);
        if (ta < 0 || tb < 0) {
            return 1;
        }
        a.push_back(ta);
        b.push_back(tb);
    }
    const double ma = median(a), mb = median(b);
    const double ratio = ma / mb;
    std::printf("%s (%s): median %.1f ms to a visible window (%d runs)\n", argv[4], argv[3], ma,
                runs);
    std::printf("%s (%s): median %.1f ms to a visible window (%d runs)\n", argv[6], argv[5], mb,
                runs);
    std::printf("ratio %.2f\n", ratio);
    std::printf("%s start-up under Wine: %.2f x the minimal popup (target at most %.2f x)\n",
                ratio <= target ? "PASS" : "FAIL", ratio, target);
    std::fflush(stdout);
    return ratio <= target ? 0 : 1;
}
