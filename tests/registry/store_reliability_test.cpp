#include "registry_access.h"
#include "sqlite_registry_store.h"
#include "sqlite_test_support.h"
#include "tuning_actions.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace lumox::testing {
namespace {

// Reads one byte from the pipe, waiting at most ten seconds; nothing on timeout or
// end of file.
std::optional<char> readSignal(int descriptor)
{
    pollfd ready{descriptor, POLLIN, 0};
    char signal = 0;
    if (::poll(&ready, 1, 10000) != 1 || ::read(descriptor, &signal, 1) != 1) {
        return std::nullopt;
    }
    return signal;
}

TEST(StoreReliability, KillingASaveAtAnyMomentLeavesOneCompleteSet)
{
    TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / "registry.sqlite3";
    ASSERT_TRUE(saveInto(file, 68).succeeded);
    std::uint32_t stored = 68;

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> anyMoment(0, 15000);
    std::uniform_int_distribution<int> whileSaving(0, 4000);

    // Round r saves the MTUs 69 + 300 r onwards, so each stored set tells its round.
    constexpr std::uint32_t kPerRound = 300;
    for (std::uint32_t round = 0; round < 200; ++round) {
        const std::uint32_t firstMtu = 69 + round * kPerRound;
        int signals[2];
        ASSERT_EQ(::pipe(signals), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(signals[0]);
            (void)::write(signals[1], "S", 1);
            SqliteRegistryStore store(file);
            RegistryWriter RegEdit1(store);
            for (std::uint32_t i = 0; i < kPerRound; ++i) {
                const std::uint32_t mtu = firstMtu + i;
                const bool saved = saveTuningValues(RegEdit1, std::to_string(mtu),
                                                    std::to_string(pairedWindow(mtu)))
                                       .succeeded;
                if (i == 0) {
                    (void)::write(signals[1], saved ? "F" : "E", 1);
                }
            }
            ::pause();
        }
        ::close(signals[1]);
        // Even rounds kill at any moment from the start, the opening of the file
        // included; odd rounds only after the first save has been confirmed.
        const bool afterFirstSave = round % 2 == 1;
        ASSERT_EQ(readSignal(signals[0]), 'S') << "round " << round;
        if (afterFirstSave) {
            ASSERT_EQ(readSignal(signals[0]), 'F') << "round " << round << ": a save failed";
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(afterFirstSave ? whileSaving(random) : anyMoment(random)));
        ::kill(child, SIGKILL);
        ::close(signals[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round;

        SqliteRegistryStore reopened(file);
        std::unique_ptr<RegistryKey> key;
        const RegistryResult opened = reopened.openKey(RegistryHive::LocalMachine, tcpKey, key);
        ASSERT_TRUE(opened.ok()) << "round " << round << ": " << opened.message;
        key.reset();
        // What the killed save was writing is gone once the store has been used again.
        EXPECT_EQ(folderEntries(folder.path()), std::set<std::string>{"registry.sqlite3"})
            << "round " << round;
        const std::optional<std::uint32_t> mtu = completeSet(file);
        ASSERT_TRUE(mtu) << "round " << round;
        const bool isNew = *mtu >= firstMtu && *mtu < firstMtu + kPerRound;
        if (afterFirstSave) {
            EXPECT_TRUE(isNew) << "round " << round << ": the confirmed save " << firstMtu
                               << " was lost; the store holds " << *mtu;
        } else {
            EXPECT_TRUE(isNew || *mtu == stored)
                << "round " << round << ": the store holds " << *mtu << ", neither the old set "
                << stored << " nor one of this round";
        }
        stored = *mtu;
    }
}

TEST(StoreReliability, TwoProcessesSavingAtOnceTakeTurnsWithoutLosingASave)
{
    TemporaryFolder folder;
    const std::filesystem::path file = folder.path() / "store" / "registry.sqlite3";
    constexpr int kSaves = 500;
    const std::array<std::uint32_t, 2> firstMtu = {1000, 3000};

    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::array<pid_t, 2> children{};
    for (std::size_t k = 0; k < children.size(); ++k) {
        children[k] = ::fork();
        ASSERT_GE(children[k], 0);
        if (children[k] == 0) {
            ::close(gate[1]);
            char ignored = 0;
            (void)::read(gate[0], &ignored, 1); // returns when the parent opens the gate
            const std::filesystem::path log = folder.path() / ("child" + std::to_string(k));
            FILE *errors = std::fopen(log.c_str(), "w");
            SqliteRegistryStore store(file);
            RegistryWriter RegEdit1(store);
            int failures = 0;
            for (int i = 0; i < kSaves; ++i) {
                const std::uint32_t mtu = firstMtu[k] + static_cast<std::uint32_t>(i);
                const ActionOutcome outcome = saveTuningValues(RegEdit1, std::to_string(mtu),
                                                               std::to_string(pairedWindow(mtu)));
                if (!outcome.succeeded) {
                    ++failures;
                    std::fprintf(errors, "save %d: %s\n", i, outcome.text.c_str());
                }
            }
            std::fclose(errors);
            ::_exit(failures == 0 ? 0 : 1);
        }
    }
    ::close(gate[0]);
    ::close(gate[1]);

    for (std::size_t k = 0; k < children.size(); ++k) {
        int status = 0;
        ::waitpid(children[k], &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "process " << k << " lost saves:\n"
            << fileBytes(folder.path() / ("child" + std::to_string(k))).value_or("");
    }
    const std::optional<std::uint32_t> mtu = completeSet(file);
    ASSERT_TRUE(mtu);
    EXPECT_TRUE(*mtu == firstMtu[0] + kSaves - 1 || *mtu == firstMtu[1] + kSaves - 1)
        << "the store holds " << *mtu << ", which is not the last save of either process";
}

class RefusedStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(::chmod(m_folder.path().c_str(), 0755), 0);
        std::filesystem::create_directory(storeFolder());
    }

    std::filesystem::path storeFolder() const { return m_folder.path() / "lumox2000"; }
    std::filesystem::path file() const { return storeFolder() / "registry.sqlite3"; }

    // Saves and resets while constrained, expecting both to fail with a message
    // that has its say and leaves the file exactly as it was.
    void expectRefusedAndUntouched(std::string_view why, std::optional<rlim_t> limit = {})
    {
        giveToNobody(storeFolder());
        const std::optional<std::string> before = fileBytes(file());
        ASSERT_TRUE(before);
        const std::set<std::string> entries = folderEntries(storeFolder());

        const std::optional<ActionOutcome> saved =
            runConstrained([this] { return saveInto(file(), 576); }, limit);
        ASSERT_TRUE(saved);
        EXPECT_FALSE(saved->succeeded) << why;
        EXPECT_EQ(saved->title, "Not Saved") << why;
        EXPECT_NE(saved->text.find("could not be saved"), std::string::npos) << saved->text;
        EXPECT_NE(saved->text.find("Nothing was saved."), std::string::npos) << saved->text;
        EXPECT_NE(saved->text.find(file().string()), std::string::npos)
            << "the message does not say which file: " << saved->text;

        const std::optional<ActionOutcome> reset = runConstrained(
            [this] {
                SqliteRegistryStore store(file());
                return resetTuningValues(store);
            },
            limit);
        ASSERT_TRUE(reset);
        EXPECT_FALSE(reset->succeeded) << why;
        EXPECT_EQ(reset->title, "Not Reset") << why;
        EXPECT_NE(reset->text.find("Nothing was reset."), std::string::npos) << reset->text;

        EXPECT_EQ(fileBytes(file()), before) << why << ": the store file was changed";
        std::set<std::string> after = folderEntries(storeFolder());
        EXPECT_EQ(after, entries) << why;
        m_saveText = saved->text;
    }

    TemporaryFolder m_folder;
    std::string m_saveText;
};

TEST_F(RefusedStoreTest, AReadOnlyStoreFolder)
{
    ASSERT_TRUE(saveInto(file(), 1500).succeeded);
    giveToNobody(storeFolder());
    ASSERT_EQ(::chmod(storeFolder().c_str(), 0555), 0);
    expectRefusedAndUntouched("read-only folder");
    ASSERT_EQ(::chmod(storeFolder().c_str(), 0755), 0);
    EXPECT_EQ(completeSet(file()), 1500u);
}

TEST_F(RefusedStoreTest, AReadOnlyStoreFile)
{
    ASSERT_TRUE(saveInto(file(), 1500).succeeded);
    giveToNobody(storeFolder());
    ASSERT_EQ(::chmod(file().c_str(), 0444), 0);
    const std::optional<std::string> before = fileBytes(file());
    const std::optional<ActionOutcome> saved =
        runConstrained([this] { return saveInto(file(), 576); });
    ASSERT_TRUE(saved);
    EXPECT_FALSE(saved->succeeded);
    EXPECT_NE(saved->text.find("is read-only"), std::string::npos) << saved->text;
    EXPECT_NE(saved->text.find("Nothing was saved."), std::string::npos) << saved->text;
    EXPECT_EQ(fileBytes(file()), before);
    ASSERT_EQ(::chmod(file().c_str(), 0644), 0);
    EXPECT_EQ(completeSet(file()), 1500u);
}

TEST_F(RefusedStoreTest, AFolderThatCannotBeCreated)
{
    giveToNobody(storeFolder());
    ASSERT_EQ(::chmod(storeFolder().c_str(), 0555), 0);
    const std::filesystem::path nested = storeFolder() / "deeper" / "registry.sqlite3";
    const std::optional<ActionOutcome> saved =
        runConstrained([&] { return saveInto(nested, 576); });
    ASSERT_TRUE(saved);
    EXPECT_FALSE(saved->succeeded);
    EXPECT_NE(saved->text.find("could not be created"), std::string::npos) << saved->text;
    EXPECT_FALSE(std::filesystem::exists(nested.parent_path()));
}

TEST_F(RefusedStoreTest, AFullDisk)
{
    ASSERT_TRUE(saveInto(file(), 1500).succeeded);
    giveToNobody(storeFolder());
    // Room for nothing beyond the first page, of the file or of its journal.
    expectRefusedAndUntouched("full disk", 4096);
    EXPECT_EQ(completeSet(file()), 1500u);
}

TEST_F(RefusedStoreTest, AFileSizeLimitOnTheFirstSave)
{
    giveToNobody(storeFolder());
    const std::optional<ActionOutcome> saved =
        runConstrained([this] { return saveInto(file(), 1400); }, 2048);
    ASSERT_TRUE(saved) << "the save did not survive the file size limit";
    EXPECT_FALSE(saved->succeeded);
    EXPECT_NE(saved->text.find("File too large"), std::string::npos) << saved->text;
    EXPECT_NE(saved->text.find("Nothing was saved."), std::string::npos) << saved->text;
    EXPECT_EQ(folderEntries(storeFolder()), std::set<std::string>{})
        << "the unfinished store was left behind";
}

TEST_F(RefusedStoreTest, SymbolicLinksAndOtherUsersFilesAreNotWrittenThrough)
{
    TemporaryFolder elsewhere;
    const std::filesystem::path victim = elsewhere.path() / "victim.db";
    const auto expectRefused = [&](std::string_view setup, std::string_view reason) {
        const ActionOutcome saved = saveInto(file(), 1400);
        EXPECT_FALSE(saved.succeeded) << setup;
        EXPECT_NE(saved.text.find(reason), std::string::npos) << setup << ": " << saved.text;
        EXPECT_NE(saved.text.find("Nothing was saved."), std::string::npos) << saved.text;
    };

    std::filesystem::create_symlink(victim, file());
    expectRefused("a link to a missing file", "symbolic link");
    EXPECT_EQ(folderEntries(elsewhere.path()), std::set<std::string>{});

    writeFileBytes(victim, "");
    expectRefused("a link to an empty file", "symbolic link");
    EXPECT_EQ(folderEntries(elsewhere.path()), std::set<std::string>{"victim.db"});
    EXPECT_EQ(std::filesystem::file_size(victim), 0u);
    std::filesystem::remove(victim);
    std::filesystem::remove(file());

    std::filesystem::remove(storeFolder());
    std::filesystem::create_directory_symlink(elsewhere.path(), storeFolder());
    expectRefused("a linked folder", "symbolic link");
    EXPECT_EQ(folderEntries(elsewhere.path()), std::set<std::string>{});
    std::filesystem::remove(storeFolder());

    if (::geteuid() == 0) {
        std::filesystem::create_directory(storeFolder());
        giveToNobody(storeFolder());
        expectRefused("a folder of another user", "belongs to another user");
        EXPECT_EQ(folderEntries(storeFolder()), std::set<std::string>{});

        ASSERT_EQ(::chown(storeFolder().c_str(), 0, 0), 0);
        writeFileBytes(file(), "");
        giveToNobody(file());
        expectRefused("a file of another user", "belongs to another user");
        EXPECT_EQ(std::filesystem::file_size(file()), 0u);
    }
}

TEST_F(RefusedStoreTest, RefusalsNameTheCauseTheSystemGave)
{
    giveToNobody(storeFolder());
    ASSERT_EQ(::chmod(storeFolder().c_str(), 0555), 0);
    const std::optional<ActionOutcome> saved =
        runConstrained([this] { return saveInto(file(), 1400); });
    ASSERT_TRUE(saved);
    EXPECT_FALSE(saved->succeeded);
    EXPECT_NE(saved->text.find("Permission denied"), std::string::npos) << saved->text;
    ASSERT_EQ(::chmod(storeFolder().c_str(), 0755), 0);

    std::filesystem::create_symlink("/dev/null", file());
    const std::optional<ActionOutcome> linked =
        runConstrained([this] { return saveInto(file(), 1400); });
    ASSERT_TRUE(linked);
    EXPECT_FALSE(linked->succeeded);
    EXPECT_NE(linked->text.find("is a symbolic link"), std::string::npos) << linked->text;

    // Longer than the system allows: its reason, the path shortened in the middle
    // rather than the reason cut off, and no folder left behind.
    std::filesystem::path deep = m_folder.path();
    for (int i = 0; i < 25; ++i) {
        deep /= std::string(200, 'd');
    }
    const ActionOutcome tooLong = saveInto(deep / "lumox2000" / "registry.sqlite3", 1400);
    EXPECT_FALSE(tooLong.succeeded);
    EXPECT_NE(tooLong.text.find("(File name too long). Nothing was saved."), std::string::npos)
        << tooLong.text;
    EXPECT_LT(tooLong.text.size(), 600u) << tooLong.text;
    EXPECT_FALSE(std::filesystem::exists(m_folder.path() / std::string(200, 'd')));
}

TEST_F(RefusedStoreTest, AFileThatIsNotADatabase)
{
    writeFileBytes(file(),
                   std::string("These are my notes, not a registry store. Do not overwrite.\n") +
                       std::string(8000, 'x'));
    expectRefusedAndUntouched("text file");
    EXPECT_NE(m_saveText.find("left untouched"), std::string::npos) << m_saveText;
}

TEST_F(RefusedStoreTest, ADamagedStore)
{
    ASSERT_TRUE(saveInto(file(), 1500).succeeded);
    std::string bytes = *fileBytes(file());
    ASSERT_GE(bytes.size(), 3u * 4096u);
    for (std::size_t i = 2 * 4096 + 8; i < 3 * 4096; i += 3) {
        bytes[i] = static_cast<char>(0xA5);
    }
    writeFileBytes(file(), bytes);
    expectRefusedAndUntouched("damaged store");
    EXPECT_NE(m_saveText.find("left untouched"), std::string::npos) << m_saveText;
}

TEST_F(RefusedStoreTest, AnotherProgramsDatabase)
{
    {
        RawStore raw(file());
        raw.plant("Unrelated", "Name", "Value");
        raw.scalar("PRAGMA user_version = 0");
        raw.scalar("CREATE TABLE contacts (name TEXT, phone TEXT)");
    }
    expectRefusedAndUntouched("foreign database");
    EXPECT_NE(m_saveText.find("another program"), std::string::npos) << m_saveText;
}

TEST_F(RefusedStoreTest, AStoreOfAnotherVersion)
{
    {
        RawStore raw(file());
        raw.plant(tcpKey, "DefaultRcvWindow", "8192");
        raw.scalar("PRAGMA user_version = 1280137218");
    }
    expectRefusedAndUntouched("other version");
}

} // namespace
} // namespace lumox::testing
