// Save and reset latency on the SQLite registry store, on the disk that holds the
// current folder (where a user's data folder would be, not a RAM disk).
//
//   store_bench [benchmark options]      the latency benchmarks, median of 100 each,
//                                        then 2,000 saves after which no descriptor
//                                        and no file beside the store may be left
//   store_bench --saves N --store FILE   one save to open FILE, then N more saves;
//                                        fsync_per_save.sh runs this under strace
#include "registry_access.h"
#include "sqlite_registry_store.h"
#include "tuning_actions.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>

namespace {

std::filesystem::path g_folder;

std::filesystem::path storeFile(const char *name)
{
    return g_folder / name / "registry.sqlite3";
}

bool saveOnce(lumox::RegistryWriter &writer, int round)
{
    const int mtu = 576 + round % 1000;
    return lumox::saveTuningValues(writer, std::to_string(mtu), std::to_string((mtu - 40) * 4))
        .succeeded;
}

// A save after the first in a session: the store's object is there, and the save
// opens, checks and closes the file as every save does.
void saveWithOpenStore(benchmark::State &state)
{
    lumox::SqliteRegistryStore store(storeFile("save"));
    lumox::RegistryWriter writer(store);
    int round = 0;
    if (!saveOnce(writer, round++)) {
        state.SkipWithError("the first save failed");
        return;
    }
    for (auto _ : state) {
        if (!saveOnce(writer, round++)) {
            state.SkipWithError("a save failed");
            break;
        }
    }
}

// The first save of a session: the store's object is made, then saves.
void firstSaveOfASession(benchmark::State &state)
{
    {
        lumox::SqliteRegistryStore store(storeFile("first"));
        lumox::RegistryWriter writer(store);
        saveOnce(writer, 0);
    }
    int round = 1;
    for (auto _ : state) {
        bool saved = false;
        {
            lumox::SqliteRegistryStore store(storeFile("first"));
            lumox::RegistryWriter writer(store);
            saved = saveOnce(writer, round++);
            state.PauseTiming(); // closing the store is not part of the save
        }
        state.ResumeTiming();
        if (!saved) {
            state.SkipWithError("a save failed");
            break;
        }
    }
}

// A reset that deletes all seven values, after a save in the same session.
void resetWithOpenStore(benchmark::State &state)
{
    lumox::SqliteRegistryStore store(storeFile("reset"));
    lumox::RegistryWriter writer(store);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const bool saved = saveOnce(writer, round++);
        state.ResumeTiming();
        if (!saved || !lumox::resetTuningValues(store).succeeded) {
            state.SkipWithError("a save or reset failed");
            break;
        }
    }
}

void asMedianOf100(benchmark::internal::Benchmark *benchmark)
{
    benchmark->Iterations(1)->Repetitions(100)->ReportAggregatesOnly(true)->UseRealTime()->Unit(
        benchmark::kMillisecond);
}

BENCHMARK(saveWithOpenStore)->Apply(asMedianOf100);
BENCHMARK(firstSaveOfASession)->Apply(asMedianOf100);
BENCHMARK(resetWithOpenStore)->Apply(asMedianOf100);

int probeSaves(int saves, const char *file)
{
    lumox::SqliteRegistryStore store(file);
    lumox::RegistryWriter writer(store);
    for (int round = 0; round <= saves; ++round) {
        if (!saveOnce(writer, round)) {
            std::fprintf(stderr, "save %d failed\n", round);
            return 1;
        }
    }
    return 0;
}

// The descriptors this process has open.
std::size_t openDescriptors()
{
    std::error_code ignored;
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd", ignored),
                      std::filesystem::directory_iterator()));
}

// Saves saves times into a store of its own, then reports the descriptors left open
// and the files left beside the store; fails when anything was left.
int checkLeftBehind(int saves)
{
    const std::filesystem::path file = storeFile("left-behind");
    const std::size_t before = openDescriptors();
    {
        lumox::SqliteRegistryStore store(file);
        lumox::RegistryWriter writer(store);
        for (int round = 0; round < saves; ++round) {
            if (!saveOnce(writer, round)) {
                std::fprintf(stderr, "save %d failed\n", round);
                return 1;
            }
        }
    }
    const std::size_t descriptors = openDescriptors() - before;
    std::size_t files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(file.parent_path())) {
        files += entry.path().filename() != file.filename() ? 1 : 0;
    }
    std::printf("after %d saves: %zu descriptors left open, %zu files left beside the store\n",
                saves, descriptors, files);
    return descriptors == 0 && files == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--saves") == 0 && std::strcmp(argv[3], "--store") == 0) {
        return probeSaves(std::atoi(argv[2]), argv[4]);
    }

    std::string pattern = (std::filesystem::current_path() / "store-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("store_bench: cannot make a scratch folder");
        return 1;
    }
    g_folder = pattern;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const int leftBehind = checkLeftBehind(2000);
    std::filesystem::remove_all(g_folder);
    return leftBehind;
}
