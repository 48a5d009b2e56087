#pragma once

#include "registry_access.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lumox {

// The Windows registry, reached through the ANSI functions of advapi32. Key paths,
// value names and data arrive as UTF-8 and are converted to the system's 8-bit code
// page; text that the code page cannot represent is refused. openKey uses
// RegOpenKeyExA with the access mask 0x2003F, deleteValue RegDeleteValueA, closing a
// key RegCloseKey; createKey uses RegCreateKeyExA and setStringValue RegSetValueExA
// with REG_SZ.
//
// The registry has no transactions that reach back to the systems this program was
// made for, so a batch is best effort: while a batch is open the store notes each
// key it creates and the previous state of each value it changes, and
// rollbackBatch() puts those back (deleting the keys it created). Another program
// changing the same values meanwhile, or the program being killed in the middle of
// a batch, can leave part of a batch applied.
class Win32RegistryStore final : public RegistryStore
{
public:
    Win32RegistryStore();
    // Rolls back a batch that is still open.
    ~Win32RegistryStore() override;

    Win32RegistryStore(const Win32RegistryStore &) = delete;
    Win32RegistryStore &operator=(const Win32RegistryStore &) = delete;

    RegistryResult openKey(RegistryHive hive, std::string_view path,
                           std::unique_ptr<RegistryKey> &key) override;
    RegistryResult createKey(RegistryHive hive, std::string_view path,
                             std::unique_ptr<RegistryKey> &key) override;
    RegistryResult setStringValue(RegistryKey &key, std::string_view name,
                                  std::string_view data) override;
    RegistryResult deleteValue(RegistryKey &key, std::string_view name) override;
    RegistryResult beginBatch() override;
    RegistryResult commitBatch() override;
    RegistryResult rollbackBatch() override;
    bool batchesAreAtomic() const override { return false; }

private:
    // What a batch must put back: a value as it was, or a key it created.
    struct UndoStep
    {
        bool createdKey = false;
        std::string path; // in the system code page
        std::string name; // in the system code page
        bool valueExisted = false;
        unsigned long type = 0;
        std::vector<unsigned char> data;
    };

    RegistryResult rememberValue(const std::string &path, void *handle, const std::string &name);

    bool m_batchOpen = false;
    std::vector<UndoStep> m_undo;
    // The values remembered in the open batch, each as its lowered path and name; a
    // batch holds a handful, so a list does (a set would link the library's compiled
    // tree code into the Windows program).
    std::vector<std::string> m_rememberedValues;
};

} // namespace lumox
