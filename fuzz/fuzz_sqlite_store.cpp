// Fuzzes the SQLite registry store with arbitrary key paths, value names and data.
// One file past 400 lines: a fuzz target is one program, its scratch store included.
//
// The store lives in a scratch file made once per process (under /dev/shm when there
// is one, so that the store's synchronous writes cost little); every input starts
// from an empty store and a fresh store object. The input is a list of operations,
// each a byte choosing the operation followed by its arguments: key paths and value
// names are either new (a length byte and the bytes) or ones used before in the same
// input, with the case of their letters changed, so that the case-blind matching of
// the store gets exercised.
//
// A model of the registry follows every operation. After each one the file, read
// through a separate SQLite connection, must hold exactly what the model says has
// been committed: every key with the spelling it was first created with, every value
// with the data last set. SQLite reporting a misuse of its interface stops the run.

#include "fuzz_support.h"
#include "registry_access.h"
#include "sqlite_registry_store.h"

#include <sqlite3.h>
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace {

using lumox::RegistryHive;
using lumox::RegistryKey;
using lumox::RegistryResult;
using lumox::RegistryStatus;
using lumox::SqliteRegistryStore;
using lumox::fuzzing::InputReader;
using lumox::fuzzing::printable;

constexpr std::string_view kHive = "HKEY_LOCAL_MACHINE";
constexpr int kBusyTimeoutMs = 2000;
constexpr int kMaxOperations = 64;
constexpr std::size_t kKeySlots = 4;
constexpr std::size_t kMaxRemembered = 16;

void sqliteLog(void *, int code, const char *message)
{
    if ((code & 0xff) == SQLITE_MISUSE) {
        lumox::fuzzing::invariantBroken(__FILE__, __LINE__, "no SQLite misuse",
                                        message != nullptr ? message : "");
    }
}

std::string folded(std::string_view text)
{
    std::string out(text);
    for (char &c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// A key path in the documented form: parts separated by single backslashes, no
// backslash at either end, and no NUL, which SQLite text cannot be trusted with.
bool isKeyPath(std::string_view path)
{
    return !path.empty() && path.front() != '\\' && path.back() != '\\' &&
           path.find("\\\\") == std::string_view::npos && path.find('\0') == std::string_view::npos;
}

// What the registry holds: keys by case-folded path with the spelling they were
// created with, values by case-folded path and name.
struct Model
{
    std::map<std::string, std::string> keys;
    std::map<std::pair<std::string, std::string>, std::string> values;

    void addKey(std::string_view path)
    {
        std::size_t end = 0;
        do {
            end = path.find('\\', end);
            const std::string_view part = path.substr(0, end);
            keys.emplace(folded(part), std::string(part));
            if (end != std::string_view::npos) {
                ++end;
            }
        } while (end != std::string_view::npos);
    }
};

// The scratch folder and file, and the separate connections that read the file.
class Scratch
{
public:
    Scratch()
    {
        // Only possible before SQLite's first use in the process.
        LUMOX_FUZZ_CHECK(sqlite3_config(SQLITE_CONFIG_LOG, sqliteLog, nullptr) == SQLITE_OK,
                         "cannot watch SQLite's error log");

        std::error_code error;
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base, error) || ::access(base.c_str(), W_OK) != 0) {
            base = std::filesystem::temp_directory_path();
        }
        std::string pattern = (base / "lumox-fuzz-store-XXXXXX").string();
        LUMOX_FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr, "cannot make a scratch folder");
        m_folder = pattern;
        // The store makes its own folder, as it does for a user's first save.
        m_file = m_folder / "lumox2000" / "registry.sqlite3";
        {
            SqliteRegistryStore store(m_file, kBusyTimeoutMs);
            std::unique_ptr<RegistryKey> key;
            const RegistryResult created = store.createKey(RegistryHive::LocalMachine, "x", key);
            LUMOX_FUZZ_CHECK(created.ok(), created.message);
        }
    }

    ~Scratch()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    Scratch(const Scratch &) = delete;
    Scratch &operator=(const Scratch &) = delete;

    const std::filesystem::path &file() const { return m_file; }

    void clear()
    {
        const Connection connection(*this);
        char *message = nullptr;
        const int code = sqlite3_exec(m_raw, "DELETE FROM reg_values; DELETE FROM reg_keys;",
                                      nullptr, nullptr, &message);
        const std::string detail = message != nullptr ? message : "";
        sqlite3_free(message);
        LUMOX_FUZZ_CHECK(code == SQLITE_OK, "clearing the scratch store: " + detail);
    }

    // Checks that the file holds exactly what model says.
    void expect(const Model &model, std::string_view when)
    {
        const Connection connection(*this);
        const std::string context(when);
        std::size_t keys = 0;
        forEachRow("SELECT hive, path FROM reg_keys", [&](sqlite3_stmt *row) {
            const std::string hive = text(row, 0);
            const std::string path = text(row, 1);
            const auto found = model.keys.find(folded(path));
            LUMOX_FUZZ_CHECK(hive == kHive, context + ": key in hive " + printable(hive));
            LUMOX_FUZZ_CHECK(found != model.keys.end() && found->second == path,
                             context + ": unexpected key \"" + printable(path) + "\"");
            ++keys;
        });
        LUMOX_FUZZ_CHECK(keys == model.keys.size(), context + ": keys missing");

        std::size_t values = 0;
        forEachRow("SELECT hive, path, name, type, data FROM reg_values", [&](sqlite3_stmt *row) {
            const std::string path = text(row, 1);
            const std::string name = text(row, 2);
            const std::string data = text(row, 4);
            const std::string where =
                context + ": value \"" + printable(name) + "\" in \"" + printable(path) + "\"";
            LUMOX_FUZZ_CHECK(text(row, 0) == kHive, where);
            LUMOX_FUZZ_CHECK(sqlite3_column_type(row, 3) == SQLITE_INTEGER &&
                                 sqlite3_column_int(row, 3) == 1,
                             where + " is not a string value");
            LUMOX_FUZZ_CHECK(sqlite3_column_type(row, 4) == SQLITE_TEXT, where);
            LUMOX_FUZZ_CHECK(model.keys.count(folded(path)) == 1, where + " has no key");
            const auto found = model.values.find({folded(path), folded(name)});
            LUMOX_FUZZ_CHECK(found != model.values.end(), where + " should not be there");
            LUMOX_FUZZ_CHECK(found->second == data, where + " holds \"" + printable(data) +
                                                        "\", not \"" + printable(found->second) +
                                                        "\"");
            ++values;
        });
        LUMOX_FUZZ_CHECK(values == model.values.size(), context + ": values missing");
    }

private:
    // The store replaces its file with every change, so each look opens the file anew,
    // as a reader started then would.
    class Connection
    {
    public:
        explicit Connection(Scratch &scratch) : m_scratch(scratch)
        {
            LUMOX_FUZZ_CHECK(sqlite3_open_v2(m_scratch.m_file.c_str(), &m_scratch.m_raw,
                                             SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK,
                             "cannot open the scratch store");
            sqlite3_busy_timeout(m_scratch.m_raw, kBusyTimeoutMs);
        }
        ~Connection()
        {
            sqlite3_close_v2(m_scratch.m_raw);
            m_scratch.m_raw = nullptr;
        }
        Connection(const Connection &) = delete;
        Connection &operator=(const Connection &) = delete;

    private:
        Scratch &m_scratch;
    };

    static std::string text(sqlite3_stmt *row, int column)
    {
        const auto *chars = reinterpret_cast<const char *>(sqlite3_column_text(row, column));
        return chars == nullptr
                   ? std::string()
                   : std::string(chars,
                                 static_cast<std::size_t>(sqlite3_column_bytes(row, column)));
    }

    template <typename Visit> void forEachRow(const char *sql, Visit &&visit)
    {
        sqlite3_stmt *statement = nullptr;
        LUMOX_FUZZ_CHECK(sqlite3_prepare_v2(m_raw, sql, -1, &statement, nullptr) == SQLITE_OK,
                         sqlite3_errmsg(m_raw));
        int code = SQLITE_ROW;
        while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
            visit(statement);
        }
        sqlite3_finalize(statement);
        LUMOX_FUZZ_CHECK(code == SQLITE_DONE, sqlite3_errmsg(m_raw));
    }

    std::filesystem::path m_folder;
    std::filesystem::path m_file;
    sqlite3 *m_raw = nullptr;
};

// Flips the case of the ASCII letters whose position has its bit set in mask.
std::string changeCase(std::string text, std::uint8_t mask)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        char &c = text[i];
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (letter && ((mask >> (i % 8)) & 1) != 0) {
            c = static_cast<char>(c ^ 0x20);
        }
    }
    return text;
}

// One input's run: the store, its open keys, and the model of what it holds.
class Session
{
public:
    Session(Scratch &scratch, InputReader &input)
        : m_scratch(scratch), m_input(input),
          m_store(std::make_unique<SqliteRegistryStore>(scratch.file(), kBusyTimeoutMs))
    {
    }

    void run()
    {
        for (int operation = 0; operation < kMaxOperations && !m_input.empty(); ++operation) {
            step(m_input.byte());
            m_scratch.expect(m_committed, m_last);
        }
        closeBatchKeys();
        const RegistryResult undone = m_store->rollbackBatch();
        LUMOX_FUZZ_CHECK(undone.ok(), undone.message);
        m_slots = {};
        m_batchOpen = false;
        m_current = m_committed;
        m_scratch.expect(m_committed, "at the end");
    }

private:
    struct Slot
    {
        std::unique_ptr<RegistryKey> key;
        std::string path;
        bool openedInBatch = false;
    };

    void step(std::uint8_t operation)
    {
        switch (operation % 9) {
        case 0:
            return createKey();
        case 1:
            return openKey();
        case 2:
            return setValue();
        case 3:
            return deleteValue();
        case 4:
            return beginBatch();
        case 5:
            return endBatch(true);
        case 6:
            return endBatch(false);
        case 7:
            m_slots[m_input.byte() % kKeySlots] = {};
            m_last = "closing a key";
            return;
        default:
            return reopenStore();
        }
    }

    std::string remembered(std::vector<std::string> &known, std::string text)
    {
        if (known.size() < kMaxRemembered) {
            known.push_back(text);
        }
        return text;
    }

    std::string keyPath()
    {
        const std::uint8_t choice = m_input.byte();
        if (m_paths.empty() || choice % 4 == 0) {
            return remembered(m_paths, m_input.shortString());
        }
        const std::string &known = m_paths[m_input.byte() % m_paths.size()];
        switch (choice % 4) {
        case 1:
            return remembered(m_paths, changeCase(known, m_input.byte()));
        case 2:
            return remembered(m_paths, known + "\\" + m_input.shortString());
        default: {
            const std::size_t last = known.rfind('\\');
            const std::string parent = last == std::string::npos ? known : known.substr(0, last);
            return remembered(m_paths, changeCase(parent, m_input.byte()));
        }
        }
    }

    std::string valueName()
    {
        const std::uint8_t choice = m_input.byte();
        if (choice % 3 == 2) {
            return {};
        }
        if (m_names.empty() || choice % 3 == 0) {
            return remembered(m_names, m_input.shortString());
        }
        return changeCase(m_names[m_input.byte() % m_names.size()], m_input.byte());
    }

    Slot &slot() { return m_slots[m_input.byte() % kKeySlots]; }

    void createKey()
    {
        Slot &target = slot();
        const std::string path = keyPath();
        m_last = "creating key \"" + printable(path) + "\"";
        const RegistryResult result =
            m_store->createKey(RegistryHive::LocalMachine, path, target.key);
        if (!isKeyPath(path)) {
            LUMOX_FUZZ_CHECK(!result.ok() && !target.key, m_last);
            return;
        }
        LUMOX_FUZZ_CHECK(result.ok() && target.key, m_last + ": " + result.message);
        target.path = path;
        target.openedInBatch = m_batchOpen;
        m_current.addKey(path);
        publishUnlessBatch();
    }

    void openKey()
    {
        Slot &target = slot();
        const std::string path = keyPath();
        m_last = "opening key \"" + printable(path) + "\"";
        const RegistryResult result =
            m_store->openKey(RegistryHive::LocalMachine, path, target.key);
        if (!isKeyPath(path)) {
            LUMOX_FUZZ_CHECK(!result.ok() && !target.key, m_last);
            return;
        }
        if (m_current.keys.count(folded(path)) == 0) {
            LUMOX_FUZZ_CHECK(result.status == RegistryStatus::NotFound && !target.key,
                             m_last + ": " + result.message);
            return;
        }
        LUMOX_FUZZ_CHECK(result.ok() && target.key, m_last + ": " + result.message);
        target.path = path;
        target.openedInBatch = m_batchOpen;
    }

    void setValue()
    {
        Slot &target = slot();
        const std::string name = valueName();
        const std::string data = m_input.shortString();
        if (!target.key) {
            return;
        }
        m_last = "setting \"" + printable(name) + "\" in \"" + printable(target.path) + "\" to \"" +
                 printable(data) + "\"";
        const RegistryResult result = m_store->setStringValue(*target.key, name, data);
        if (name.find('\0') != std::string::npos || data.find('\0') != std::string::npos) {
            LUMOX_FUZZ_CHECK(!result.ok(), m_last);
            return;
        }
        LUMOX_FUZZ_CHECK(result.ok(), m_last + ": " + result.message);
        m_current.values[{folded(target.path), folded(name)}] = data;
        publishUnlessBatch();
    }

    void deleteValue()
    {
        Slot &target = slot();
        const std::string name = valueName();
        if (!target.key) {
            return;
        }
        m_last = "deleting \"" + printable(name) + "\" from \"" + printable(target.path) + "\"";
        const RegistryResult result = m_store->deleteValue(*target.key, name);
        if (m_current.values.erase({folded(target.path), folded(name)}) == 0) {
            LUMOX_FUZZ_CHECK(result.status == RegistryStatus::NotFound,
                             m_last + ": " + result.message);
            return;
        }
        LUMOX_FUZZ_CHECK(result.ok(), m_last + ": " + result.message);
        publishUnlessBatch();
    }

    void beginBatch()
    {
        m_last = "beginning a batch";
        const RegistryResult result = m_store->beginBatch();
        LUMOX_FUZZ_CHECK(result.ok() == !m_batchOpen, m_last + ": " + result.message);
        m_batchOpen = true;
    }

    void endBatch(bool commit)
    {
        m_last = commit ? "committing a batch" : "rolling a batch back";
        closeBatchKeys();
        const RegistryResult result = commit ? m_store->commitBatch() : m_store->rollbackBatch();
        if (commit) {
            LUMOX_FUZZ_CHECK(result.ok() == m_batchOpen, m_last + ": " + result.message);
        } else {
            LUMOX_FUZZ_CHECK(result.ok(), m_last + ": " + result.message);
        }
        if (commit) {
            m_committed = m_current;
        } else {
            m_current = m_committed;
        }
        m_batchOpen = false;
    }

    // Keys opened inside a batch must go before the batch ends.
    void closeBatchKeys()
    {
        for (Slot &each : m_slots) {
            if (each.openedInBatch) {
                each = {};
            }
        }
    }

    // Every key must go before its store; the batch, if any, is abandoned with the
    // store and is to leave nothing behind.
    void reopenStore()
    {
        m_last = "reopening the store";
        m_slots = {};
        m_store.reset();
        m_current = m_committed;
        m_batchOpen = false;
        m_store = std::make_unique<SqliteRegistryStore>(m_scratch.file(), kBusyTimeoutMs);
    }

    void publishUnlessBatch()
    {
        if (!m_batchOpen) {
            m_committed = m_current;
        }
    }

    Scratch &m_scratch;
    InputReader &m_input;
    std::unique_ptr<SqliteRegistryStore> m_store;
    std::array<Slot, kKeySlots> m_slots;
    std::vector<std::string> m_paths;
    std::vector<std::string> m_names;
    Model m_committed;
    Model m_current;
    bool m_batchOpen = false;
    std::string m_last = "starting";
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static Scratch scratch;
    scratch.clear();
    InputReader input(data, size);
    Session session(scratch, input);
    session.run();
    return 0;
}
