#include "registry_access.h"

#include <string>
#include <utility>

namespace lumox {

RegistryResult RegistryResult::notFound(std::string message)
{
    return {RegistryStatus::NotFound, std::move(message)};
}

RegistryResult RegistryResult::accessDenied(std::string message)
{
    return {RegistryStatus::AccessDenied, std::move(message)};
}

RegistryResult RegistryResult::failure(std::string message)
{
    return {RegistryStatus::Failure, std::move(message)};
}

std::string_view hiveName(RegistryHive hive)
{
    switch (hive) {
    case RegistryHive::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    }
    return "an unknown hive";
}

RegistryWriter::RegistryWriter(RegistryStore &store) : m_store(store) {}

RegistryResult RegistryWriter::openTargetKey(std::unique_ptr<RegistryKey> &key)
{
    key.reset();
    if (m_root != kLocalMachineRoot) {
        return RegistryResult::failure(
            "the registry root " + std::to_string(m_root) + " is not supported; only " +
            std::to_string(kLocalMachineRoot) + " (HKEY_LOCAL_MACHINE) is");
    }
    std::string_view path = m_keyPath;
    if (!path.empty() && path.front() == '\\') {
        path.remove_prefix(1);
    }
    if (path.empty()) {
        return RegistryResult::failure("no registry key was chosen");
    }
    return m_store.createKey(RegistryHive::LocalMachine, path, key);
}

RegistryResult RegistryWriter::PrepareKey()
{
    std::unique_ptr<RegistryKey> key;
    return openTargetKey(key);
}

RegistryResult RegistryWriter::WriteValue(std::int32_t valueType)
{
    if (valueType != kStringValueType) {
        return RegistryResult::failure("the value type " + std::to_string(valueType) +
                                       " is not supported; only strings can be written");
    }
    std::unique_ptr<RegistryKey> key;
    if (RegistryResult opened = openTargetKey(key); !opened.ok()) {
        return opened;
    }
    return m_store.setStringValue(*key, m_valueName, m_value);
}

namespace modRegEdit {

bool DeleteRegValue(RegistryStore &store, std::string_view keyPath, std::string_view valueName,
                    RegistryResult *outcome)
{
    std::unique_ptr<RegistryKey> key;
    RegistryResult result = store.openKey(RegistryHive::LocalMachine, keyPath, key);
    if (result.ok()) {
        result = store.deleteValue(*key, valueName);
        key.reset();
    }
    const bool deleted = result.ok();
    if (outcome != nullptr) {
        *outcome = std::move(result);
    }
    return deleted;
}

} // namespace modRegEdit

} // namespace lumox
