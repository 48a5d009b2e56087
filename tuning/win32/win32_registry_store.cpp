#include "win32_registry_store.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumox {

namespace {

// The blanks and the lower case of the C locale, the only one the program uses: ASCII.
bool isAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Read control plus query, set, create subkey, enumerate, notify and create link.
constexpr REGSAM kDeleteAccess = 0x2003F;

class Win32Key final : public RegistryKey
{
public:
    Win32Key(const Win32RegistryStore *owner, HKEY handle, std::string path)
        : m_owner(owner), m_handle(handle), m_path(std::move(path))
    {
    }
    ~Win32Key() override { RegCloseKey(m_handle); }

    const Win32RegistryStore *owner() const { return m_owner; }
    HKEY handle() const { return m_handle; }
    const std::string &path() const { return m_path; }

private:
    const Win32RegistryStore *m_owner;
    HKEY m_handle;
    std::string m_path;
};

HKEY hiveHandle(RegistryHive hive)
{
    switch (hive) {
    case RegistryHive::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    }
    return nullptr;
}

// The system's description of a Windows error code, ready to follow a colon.
std::string describeError(LONG code)
{
    char *buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char *>(&buffer), 0, nullptr);
    std::string text =
        length > 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
    LocalFree(buffer);
    while (!text.empty() && (isAsciiSpace(text.back()) || text.back() == '.')) {
        text.pop_back();
    }
    if (text.empty()) {
        text = "the registry reported an error";
    }
    text.front() = asciiLower(text.front());
    return text + " (error " + std::to_string(code) + ")";
}

RegistryResult resultOf(LONG code, std::string_view what)
{
    switch (code) {
    case ERROR_SUCCESS:
        return RegistryResult::success();
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return RegistryResult::notFound(std::string(what) + " does not exist");
    case ERROR_ACCESS_DENIED:
        return RegistryResult::accessDenied(
            "access is denied; changing HKEY_LOCAL_MACHINE needs administrator rights");
    default:
        return RegistryResult::failure(describeError(code));
    }
}

// Converts UTF-8 text to the system's 8-bit code page, as the ANSI registry
// functions expect it. Fails on text that is not UTF-8, holds a NUL character or
// has characters the code page cannot represent.
bool toSystemCodePage(std::string_view utf8, std::string &converted)
{
    converted.clear();
    if (utf8.find('\0') != std::string_view::npos) {
        return false;
    }
    if (std::all_of(utf8.begin(), utf8.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        converted.assign(utf8);
        return true;
    }
    const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                               static_cast<int>(utf8.size()), nullptr, 0);
    if (wideLength <= 0) {
        return false;
    }
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                        wide.data(), wideLength);
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength,
                                           nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) {
        return false;
    }
    converted.assign(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, converted.data(),
                        length, nullptr, &usedDefault);
    return true;
}

RegistryResult unrepresentable(std::string_view what)
{
    return RegistryResult::failure(std::string(what) +
                                   " cannot be written in the system's code page");
}

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), asciiLower);
    return text;
}

// Deletes a key with all its subkeys. RegDeleteTreeA came only with Windows Vista, and
// RegDeleteKeyA deletes a key with subkeys only on the Windows 95 family, so the subkeys
// go first, deepest first.
LONG deleteKeyTree(HKEY parent, const std::string &path)
{
    HKEY key = nullptr;
    LONG code = RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ | DELETE, &key);
    if (code != ERROR_SUCCESS) {
        return code;
    }
    char name[256];
    for (;;) {
        DWORD length = sizeof name;
        code = RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (code != ERROR_SUCCESS) {
            break;
        }
        code = deleteKeyTree(key, name);
        if (code != ERROR_SUCCESS) {
            break;
        }
    }
    RegCloseKey(key);
    if (code != ERROR_NO_MORE_ITEMS) {
        return code;
    }
    return RegDeleteKeyA(parent, path.c_str());
}

const Win32Key *ownKey(const Win32RegistryStore *store, RegistryKey &key)
{
    const auto *win32Key = dynamic_cast<const Win32Key *>(&key);
    return win32Key != nullptr && win32Key->owner() == store ? win32Key : nullptr;
}

} // namespace

Win32RegistryStore::Win32RegistryStore() = default;

Win32RegistryStore::~Win32RegistryStore()
{
    rollbackBatch();
}

RegistryResult Win32RegistryStore::openKey(RegistryHive hive, std::string_view path,
                                           std::unique_ptr<RegistryKey> &key)
{
    key.reset();
    std::string ansiPath;
    if (!toSystemCodePage(path, ansiPath)) {
        return unrepresentable("the key path");
    }
    HKEY handle = nullptr;
    const LONG code = RegOpenKeyExA(hiveHandle(hive), ansiPath.c_str(), 0, kDeleteAccess, &handle);
    if (code != ERROR_SUCCESS) {
        return resultOf(code, "the key");
    }
    key = std::make_unique<Win32Key>(this, handle, std::move(ansiPath));
    return RegistryResult::success();
}

RegistryResult Win32RegistryStore::createKey(RegistryHive hive, std::string_view path,
                                             std::unique_ptr<RegistryKey> &key)
{
    key.reset();
    std::string ansiPath;
    if (!toSystemCodePage(path, ansiPath) || ansiPath.empty()) {
        return unrepresentable("the key path");
    }
    const HKEY root = hiveHandle(hive);

    // The outermost key this call will create, so that a rollback can remove it.
    std::string firstMissing;
    if (m_batchOpen) {
        std::size_t end = 0;
        do {
            end = ansiPath.find('\\', end);
            const std::string prefix = ansiPath.substr(0, end);
            HKEY probe = nullptr;
            const LONG code = RegOpenKeyExA(root, prefix.c_str(), 0, KEY_READ, &probe);
            if (code == ERROR_SUCCESS) {
                RegCloseKey(probe);
            } else if (code == ERROR_FILE_NOT_FOUND) {
                firstMissing = prefix;
                break;
            }
            if (end != std::string::npos) {
                ++end;
            }
        } while (end != std::string::npos);
    }

    HKEY handle = nullptr;
    DWORD disposition = 0;
    const LONG code =
        RegCreateKeyExA(root, ansiPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &handle, &disposition);
    if (code != ERROR_SUCCESS) {
        return resultOf(code, "the key");
    }
    if (m_batchOpen && !firstMissing.empty() && disposition == REG_CREATED_NEW_KEY) {
        UndoStep step;
        step.createdKey = true;
        step.path = firstMissing;
        m_undo.push_back(std::move(step));
    }
    key = std::make_unique<Win32Key>(this, handle, std::move(ansiPath));
    return RegistryResult::success();
}

RegistryResult Win32RegistryStore::rememberValue(const std::string &path, void *handle,
                                                 const std::string &name)
{
    if (!m_batchOpen) {
        return RegistryResult::success();
    }
    const std::string remembered = lowered(path) + '\n' + lowered(name);
    if (std::find(m_rememberedValues.begin(), m_rememberedValues.end(), remembered) !=
        m_rememberedValues.end()) {
        return RegistryResult::success();
    }
    m_rememberedValues.push_back(remembered);
    UndoStep step;
    step.path = path;
    step.name = name;
    const HKEY key = static_cast<HKEY>(handle);
    DWORD size = 0;
    LONG code = RegQueryValueExA(key, name.c_str(), nullptr, &step.type, nullptr, &size);
    while (code == ERROR_SUCCESS || code == ERROR_MORE_DATA) {
        step.data.resize(size);
        code = RegQueryValueExA(key, name.c_str(), nullptr, &step.type,
                                step.data.empty() ? nullptr : step.data.data(), &size);
        if (code == ERROR_SUCCESS) {
            step.data.resize(size);
            step.valueExisted = true;
            break;
        }
    }
    if (!step.valueExisted && code != ERROR_FILE_NOT_FOUND) {
        m_rememberedValues.pop_back();
        return resultOf(code, "the value");
    }
    m_undo.push_back(std::move(step));
    return RegistryResult::success();
}

RegistryResult Win32RegistryStore::setStringValue(RegistryKey &key, std::string_view name,
                                                  std::string_view data)
{
    const Win32Key *win32Key = ownKey(this, key);
    if (win32Key == nullptr) {
        return RegistryResult::failure("the key was not opened by this registry store");
    }
    std::string ansiName;
    std::string ansiData;
    if (!toSystemCodePage(name, ansiName)) {
        return unrepresentable("the value name");
    }
    if (!toSystemCodePage(data, ansiData)) {
        return unrepresentable("the value");
    }
    if (RegistryResult remembered = rememberValue(win32Key->path(), win32Key->handle(), ansiName);
        !remembered.ok()) {
        return remembered;
    }
    const LONG code = RegSetValueExA(win32Key->handle(), ansiName.c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE *>(ansiData.c_str()),
                                     static_cast<DWORD>(ansiData.size() + 1));
    return resultOf(code, "the key");
}

RegistryResult Win32RegistryStore::deleteValue(RegistryKey &key, std::string_view name)
{
    const Win32Key *win32Key = ownKey(this, key);
    if (win32Key == nullptr) {
        return RegistryResult::failure("the key was not opened by this registry store");
    }
    std::string ansiName;
    if (!toSystemCodePage(name, ansiName)) {
        return unrepresentable("the value name");
    }
    if (RegistryResult remembered = rememberValue(win32Key->path(), win32Key->handle(), ansiName);
        !remembered.ok()) {
        return remembered;
    }
    return resultOf(RegDeleteValueA(win32Key->handle(), ansiName.c_str()), "the value");
}

RegistryResult Win32RegistryStore::beginBatch()
{
    if (m_batchOpen) {
        return RegistryResult::failure("a batch of changes is already open");
    }
    m_batchOpen = true;
    m_undo.clear();
    m_rememberedValues.clear();
    return RegistryResult::success();
}

RegistryResult Win32RegistryStore::commitBatch()
{
    if (!m_batchOpen) {
        return RegistryResult::failure("no batch of changes is open");
    }
    m_batchOpen = false;
    m_undo.clear();
    m_rememberedValues.clear();
    return RegistryResult::success();
}

RegistryResult Win32RegistryStore::rollbackBatch()
{
    if (!m_batchOpen) {
        return RegistryResult::success();
    }
    m_batchOpen = false;
    bool restored = true;
    for (auto step = m_undo.rbegin(); step != m_undo.rend(); ++step) {
        if (step->createdKey) {
            const LONG code = deleteKeyTree(HKEY_LOCAL_MACHINE, step->path);
            restored = restored && (code == ERROR_SUCCESS || code == ERROR_FILE_NOT_FOUND);
            continue;
        }
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, step->path.c_str(), 0, KEY_SET_VALUE, &key) !=
            ERROR_SUCCESS) {
            restored = false;
            continue;
        }
        LONG code = ERROR_SUCCESS;
        if (step->valueExisted) {
            code = RegSetValueExA(key, step->name.c_str(), 0, step->type,
                                  step->data.empty() ? nullptr : step->data.data(),
                                  static_cast<DWORD>(step->data.size()));
        } else {
            code = RegDeleteValueA(key, step->name.c_str());
            if (code == ERROR_FILE_NOT_FOUND) {
                code = ERROR_SUCCESS;
            }
        }
        RegCloseKey(key);
        restored = restored && code == ERROR_SUCCESS;
    }
    m_undo.clear();
    m_rememberedValues.clear();
    return restored ? RegistryResult::success()
                    : RegistryResult::failure("some changes could not be undone");
}

std::unique_ptr<RegistryStore> makeDefaultRegistryStore()
{
    return std::make_unique<Win32RegistryStore>();
}

} // namespace lumox
