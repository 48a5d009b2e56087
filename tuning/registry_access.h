#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The program's only way into the registry: a narrow store interface with one
// implementation per platform (the Windows registry through advapi32, or an SQLite
// file where there is no registry), the registry writer that saving uses, and the
// delete function that resetting uses. Nothing here depends on Qt.
namespace lumox {

// The outcome class of one registry operation, in the spirit of the Windows error
// codes: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED and the rest.
enum class RegistryStatus
{
    Success,
    NotFound,
    AccessDenied,
    Failure,
};

// The result of one registry operation. When the status is not Success, message
// says in plain English what went wrong (for example "access is denied" or "the
// disk is full"), suitable to be shown to the user after a colon.
struct RegistryResult
{
    RegistryStatus status = RegistryStatus::Success;
    std::string message;
    // Set on a failed commit when the change may have reached the store all the same
    // (a store that replaced its file and could not confirm it afterwards). A caller
    // then never tells the user that nothing changed.
    bool changedAnyway = false;

    bool ok() const { return status == RegistryStatus::Success; }

    static RegistryResult success() { return {}; }
    static RegistryResult notFound(std::string message);
    static RegistryResult accessDenied(std::string message);
    static RegistryResult failure(std::string message);
};

// The registry hives the program uses. Only the machine-wide hive is ever needed.
enum class RegistryHive
{
    LocalMachine,
};

// The hive's usual name, "HKEY_LOCAL_MACHINE".
std::string_view hiveName(RegistryHive hive);

// An open registry key. Destroying it closes the key (RegCloseKey on Windows).
// A key may only be passed to the store that opened or created it, and must be
// destroyed before that store.
class RegistryKey
{
public:
    virtual ~RegistryKey() = default;
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;

protected:
    RegistryKey() = default;
};

// A hierarchical store of named string values under keys, as the Windows registry
// is. Key paths are relative to the hive, separated by single backslashes, and
// carry no leading backslash. Key paths and value names are matched without regard
// to the case of ASCII letters. Implementations are used from one thread at a time.
class RegistryStore
{
public:
    virtual ~RegistryStore() = default;

    // Opens an existing key. Returns NotFound, and creates nothing, when the key
    // does not exist. On success key holds the open key; otherwise key is reset.
    virtual RegistryResult openKey(RegistryHive hive, std::string_view path,
                                   std::unique_ptr<RegistryKey> &key) = 0;

    // Opens a key, creating it and any missing parent keys first. On success key
    // holds the open key; otherwise key is reset.
    virtual RegistryResult createKey(RegistryHive hive, std::string_view path,
                                     std::unique_ptr<RegistryKey> &key) = 0;

    // Stores data as a string value (REG_SZ) named name in key, replacing any value
    // of that name. An empty name addresses the key's default value; empty data
    // is stored as an empty string.
    virtual RegistryResult setStringValue(RegistryKey &key, std::string_view name,
                                          std::string_view data) = 0;

    // Deletes the value named name from key. Returns NotFound, and changes nothing,
    // when the key holds no such value.
    virtual RegistryResult deleteValue(RegistryKey &key, std::string_view name) = 0;

    // Groups the following operations into one batch that commitBatch() makes
    // permanent and rollbackBatch() undoes. Batches do not nest. While a batch is
    // open, other programs using the same store wait for it to end. Keys opened
    // inside a batch must be destroyed before the batch ends.
    virtual RegistryResult beginBatch() = 0;

    // Ends the current batch, making its changes permanent. When this fails the
    // batch has been undone as rollbackBatch() would.
    virtual RegistryResult commitBatch() = 0;

    // Ends the current batch, undoing its changes. Returns Success when the store
    // is back to its state before beginBatch(); anything else means some changes
    // of the batch could not be undone. Does nothing when no batch is open.
    virtual RegistryResult rollbackBatch() = 0;

    // True when a batch is applied all at once or not at all, even if the program
    // is killed in the middle of it. When false, rollbackBatch() undoes a batch on
    // a best-effort basis and a crash may leave part of a batch applied.
    virtual bool batchesAreAtomic() const = 0;
};

// Makes the store for this platform: the Windows registry on Windows, otherwise
// an SQLite file at $XDG_DATA_HOME/lumox2000/registry.sqlite3. Making the store
// reads the environment but touches no file; the file is opened on first use.
std::unique_ptr<RegistryStore> makeDefaultRegistryStore();

// The root selector value that stands for HKEY_LOCAL_MACHINE.
inline constexpr std::int32_t kLocalMachineRoot = 2;

// The value type argument of WriteValue() that stores a string value.
inline constexpr std::int32_t kStringValueType = 0;

// Writes string values into a store, keeping its settings between calls in the
// manner of a registry control: a root selector, a key path, a value name and a
// value, each set separately and kept until set again, so that one key path can
// serve several writes and one value writes under several key paths. Key paths are
// given with a leading backslash ("\System\..."), which is dropped before the store
// sees them, so that the writer reaches the same keys as DeleteRegValue. Initially
// the root is 0 (no hive) and the other settings are empty.
class RegistryWriter
{
public:
    // The writer uses store, which must outlive it.
    explicit RegistryWriter(RegistryStore &store);

    void setRoot(std::int32_t root) { m_root = root; }
    void setKeyPath(std::string_view keyPath) { m_keyPath = keyPath; }
    void setValueName(std::string_view valueName) { m_valueName = valueName; }
    void setValue(std::string_view value) { m_value = value; }

    std::int32_t root() const { return m_root; }
    const std::string &keyPath() const { return m_keyPath; }
    const std::string &valueName() const { return m_valueName; }
    const std::string &value() const { return m_value; }

    // The store the writer writes into.
    RegistryStore &store() const { return m_store; }

    // Makes sure the key at the current root and key path exists, creating it and
    // its missing parents. Fails with a message when the root is anything but
    // kLocalMachineRoot or the key path names no key below the hive.
    RegistryResult PrepareKey();

    // Stores the current value under the current value name in the key at the
    // current root and key path, creating the key when it is missing. valueType
    // must be kStringValueType; any other type is refused and nothing is written.
    // Fails like PrepareKey() for a bad root or key path.
    RegistryResult WriteValue(std::int32_t valueType);

private:
    RegistryResult openTargetKey(std::unique_ptr<RegistryKey> &key);

    RegistryStore &m_store;
    std::int32_t m_root = 0;
    std::string m_keyPath;
    std::string m_valueName;
    std::string m_value;
};

// The registry module: free functions that reach the store directly.
namespace modRegEdit {

// Deletes the value valueName from the key keyPath (no leading backslash) under
// HKEY_LOCAL_MACHINE. In this order: opens the key (on Windows, RegOpenKeyExA
// with access 0x2003F) and returns false if that fails, creating nothing; deletes
// the value (RegDeleteValueA); closes the key (RegCloseKey); returns true if the
// value was deleted. A missing key or value, refused access and any other failure
// all yield false and leave the store unchanged. When outcome is not null it
// receives the detailed result, so that a caller can tell an absent value
// (NotFound) from one that could not be deleted.
bool DeleteRegValue(RegistryStore &store, std::string_view keyPath, std::string_view valueName,
                    RegistryResult *outcome = nullptr);

} // namespace modRegEdit

} // namespace lumox
