// Fuzzes the check of the two typed numbers and the save and reset actions built on it.
//
// Input: one byte with the fault plan for saving, one with the fault plan for the
// reset that follows, then the MTU text up to the first line feed and the RWIN text
// after it. A fault plan byte holds, from its low bits up: the number (1 to 31) of the
// store call that fails, 0 for none; whether that call reports "access denied"
// rather than a plain failure; whether undoing the batch then fails as well; and,
// for saving only, whether the store already holds values before the save.
//
// The store is an in-memory stand-in that keeps the registry's rules (case-blind
// names, parents created with their children, batches undone as a whole) and checks
// that its callers keep theirs (no nested batches, no key left open when a batch
// ends).
//
// One file past 400 lines: a fuzz target is one program, its stand-in store included.

#include "fuzz_support.h"
#include "registry_access.h"
#include "rwin_rules.h"
#include "tuning_actions.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace {

using lumox::ActionOutcome;
using lumox::RegistryHive;
using lumox::RegistryKey;
using lumox::RegistryResult;
using lumox::RegistryStatus;
using lumox::RegistryStore;
using lumox::TuningField;
using lumox::fuzzing::printable;

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

// The registry content: keys by case-folded path (with their spelling), and values
// by case-folded path and name.
struct StoreContent
{
    std::map<std::string, std::string> keys;
    std::map<std::pair<std::string, std::string>, std::string> values;

    bool operator==(const StoreContent &) const = default;

    void addKey(std::string_view path)
    {
        // The key and every parent of it; a parent keeps the spelling it already has.
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

    void setValue(std::string_view path, std::string_view name, std::string_view data)
    {
        addKey(path);
        values[{folded(path), folded(name)}] = std::string(data);
    }

    const std::string *value(std::string_view path, std::string_view name) const
    {
        const auto found = values.find({folded(path), folded(name)});
        return found == values.end() ? nullptr : &found->second;
    }
};

struct FaultPlan
{
    int failingCall = 0;
    RegistryStatus status = RegistryStatus::Failure;
    bool undoFails = false;
    bool valuesBefore = false;

    static FaultPlan decode(std::uint8_t byte)
    {
        return {byte & 0x1f,
                (byte & 0x20) != 0 ? RegistryStatus::AccessDenied : RegistryStatus::Failure,
                (byte & 0x40) != 0, (byte & 0x80) != 0};
    }
};

class MemoryStore;

class MemoryKey final : public RegistryKey
{
public:
    MemoryKey(MemoryStore &owner, std::string_view path);
    ~MemoryKey() override;

    const MemoryStore &owner() const { return m_owner; }
    const std::string &path() const { return m_path; }

private:
    MemoryStore &m_owner;
    std::string m_path;
};

class MemoryStore final : public RegistryStore
{
public:
    StoreContent content;

    // Starts counting calls afresh under plan.
    void plan(const FaultPlan &plan)
    {
        m_plan = plan;
        m_calls = 0;
        m_writes = 0;
        m_faulted = false;
        m_undoFailed = false;
    }

    bool faulted() const { return m_faulted; }
    bool undoFailed() const { return m_undoFailed; }
    int writes() const { return m_writes; }
    int calls() const { return m_calls; }
    bool batchOpen() const { return m_before.has_value(); }
    int openKeys() const { return m_openKeys; }

    void keyOpened() { ++m_openKeys; }
    void keyClosed() { --m_openKeys; }

    RegistryResult openKey(RegistryHive, std::string_view path,
                           std::unique_ptr<RegistryKey> &key) override
    {
        key.reset();
        if (RegistryResult refused = fault(); !refused.ok()) {
            return refused;
        }
        LUMOX_FUZZ_CHECK(isKeyPath(path), "openKey: " + printable(path));
        if (content.keys.count(folded(path)) == 0) {
            return RegistryResult::notFound("the key does not exist");
        }
        key = std::make_unique<MemoryKey>(*this, path);
        return RegistryResult::success();
    }

    RegistryResult createKey(RegistryHive, std::string_view path,
                             std::unique_ptr<RegistryKey> &key) override
    {
        key.reset();
        ++m_writes;
        if (RegistryResult refused = fault(); !refused.ok()) {
            return refused;
        }
        LUMOX_FUZZ_CHECK(isKeyPath(path), "createKey: " + printable(path));
        content.addKey(path);
        key = std::make_unique<MemoryKey>(*this, path);
        return RegistryResult::success();
    }

    RegistryResult setStringValue(RegistryKey &key, std::string_view name,
                                  std::string_view data) override
    {
        ++m_writes;
        const MemoryKey &own = ownKey(key);
        if (RegistryResult refused = fault(); !refused.ok()) {
            return refused;
        }
        content.setValue(own.path(), name, data);
        return RegistryResult::success();
    }

    RegistryResult deleteValue(RegistryKey &key, std::string_view name) override
    {
        const MemoryKey &own = ownKey(key);
        if (RegistryResult refused = fault(); !refused.ok()) {
            return refused;
        }
        if (content.values.erase({folded(own.path()), folded(name)}) == 0) {
            return RegistryResult::notFound("the value does not exist");
        }
        return RegistryResult::success();
    }

    RegistryResult beginBatch() override
    {
        LUMOX_FUZZ_CHECK(!batchOpen(), "a batch was begun inside another");
        m_before = content;
        return RegistryResult::success();
    }

    RegistryResult commitBatch() override
    {
        LUMOX_FUZZ_CHECK(batchOpen(), "a batch was committed that was never begun");
        LUMOX_FUZZ_CHECK(m_openKeys == 0, "a key was still open when the batch ended");
        if (RegistryResult refused = fault(); !refused.ok()) {
            content = std::move(*m_before);
            m_before.reset();
            return refused;
        }
        m_before.reset();
        return RegistryResult::success();
    }

    RegistryResult rollbackBatch() override
    {
        LUMOX_FUZZ_CHECK(m_openKeys == 0, "a key was still open when the batch ended");
        if (!batchOpen()) {
            return RegistryResult::success();
        }
        if (m_plan.undoFails) {
            m_undoFailed = true;
            m_before.reset();
            return RegistryResult::failure("the changes could not all be undone");
        }
        content = std::move(*m_before);
        m_before.reset();
        return RegistryResult::success();
    }

    bool batchesAreAtomic() const override { return true; }

private:
    static bool isKeyPath(std::string_view path)
    {
        return !path.empty() && path.front() != '\\' && path.back() != '\\' &&
               path.find("\\\\") == std::string_view::npos;
    }

    const MemoryKey &ownKey(RegistryKey &key) const
    {
        const auto *own = dynamic_cast<const MemoryKey *>(&key);
        LUMOX_FUZZ_CHECK(own != nullptr && &own->owner() == this,
                         "a key was passed to a store that did not open it");
        return *own;
    }

    RegistryResult fault()
    {
        ++m_calls;
        if (m_calls != m_plan.failingCall) {
            return RegistryResult::success();
        }
        m_faulted = true;
        return {m_plan.status, "the store refused (call " + std::to_string(m_calls) + ")"};
    }

    FaultPlan m_plan;
    int m_calls = 0;
    int m_writes = 0;
    bool m_faulted = false;
    bool m_undoFailed = false;
    int m_openKeys = 0;
    std::optional<StoreContent> m_before;
};

MemoryKey::MemoryKey(MemoryStore &owner, std::string_view path) : m_owner(owner), m_path(path)
{
    owner.keyOpened();
}

MemoryKey::~MemoryKey()
{
    m_owner.keyClosed();
}

bool allDigits(std::string_view text)
{
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

bool endsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::string rangeSentence(const TuningField &field)
{
    return std::string(field.name) + " must be a whole number from " +
           std::to_string(field.minimum) + " to " + std::to_string(field.maximum) + ".";
}

void checkNumberReading(std::string_view text, const TuningField &field)
{
    const std::string context = std::string(field.name) + " text \"" + printable(text) + "\"";
    const std::optional<std::uint32_t> number = lumox::parseTuningNumber(text, field);
    const std::string_view core = lumox::withoutBlanks(text);

    // Blanks around a number change nothing.
    const std::string padded = " \t" + std::string(text) + "\t ";
    LUMOX_FUZZ_CHECK(lumox::parseTuningNumber(padded, field) == number, context);

    if (!number) {
        // Ten digits or fewer that are refused can only be out of range.
        if (!core.empty() && core.size() <= 10 && allDigits(core)) {
            std::uint64_t value = 0;
            std::from_chars(core.data(), core.data() + core.size(), value);
            LUMOX_FUZZ_CHECK(value < field.minimum || value > field.maximum, context);
        }
        return;
    }
    LUMOX_FUZZ_CHECK(*number >= field.minimum && *number <= field.maximum, context);
    LUMOX_FUZZ_CHECK(core.size() <= 10 && allDigits(core), context);

    // The accepted text is the number's decimal digits, maybe after leading zeros.
    const std::string plain = std::to_string(*number);
    const std::size_t zeros = core.find_first_not_of('0');
    LUMOX_FUZZ_CHECK(zeros != std::string_view::npos && core.substr(zeros) == plain, context);
    LUMOX_FUZZ_CHECK(lumox::parseTuningNumber(plain, field) == number, context);

    // One more leading zero is fine up to ten digits in all.
    const std::optional<std::uint32_t> longer =
        lumox::parseTuningNumber("0" + std::string(core), field);
    LUMOX_FUZZ_CHECK(core.size() < 10 ? longer == number : !longer.has_value(), context);
}

// Every key that holds MaxMTU: the five adapter bindings and the first binding.
constexpr std::array<std::string_view, 6> kMtuKeys = {
    lumox::kAdapterKeys[0], lumox::kAdapterKeys[1], lumox::kAdapterKeys[2],
    lumox::kAdapterKeys[3], lumox::kAdapterKeys[4], lumox::kFirstBindingKey};

// The content after a successful save: before, plus the seven values.
StoreContent savedContent(StoreContent content, std::uint32_t mtu, std::uint32_t rwin)
{
    for (const std::string_view key : kMtuKeys) {
        content.setValue(key, lumox::kMaxMtuValueName, std::to_string(mtu));
    }
    content.setValue(lumox::kTcpKey, lumox::kRcvWindowValueName, std::to_string(rwin));
    return content;
}

// The content after a successful reset: before, less the seven values.
StoreContent resetContent(StoreContent content)
{
    for (const std::string_view key : kMtuKeys) {
        content.values.erase({folded(key), folded(lumox::kMaxMtuValueName)});
    }
    content.values.erase({folded(lumox::kTcpKey), folded(lumox::kRcvWindowValueName)});
    return content;
}

// Values the program has no business with, and the tuning values as an earlier save
// left them, spelt in another case than the program uses.
void plantEarlierValues(StoreContent &content)
{
    for (const std::string_view key : kMtuKeys) {
        content.setValue(folded(key), "maxmtu", "576");
        content.setValue(key, "DriverDesc", "TCP/IP");
    }
    content.setValue(folded(lumox::kTcpKey), "DEFAULTRCVWINDOW", "2144");
    content.setValue(lumox::kTcpKey, "", "default value");
    content.setValue("Software\\Other", "MaxMTU", "9000");
}

void checkSave(MemoryStore &store, const FaultPlan &plan, std::string_view mtuText,
               std::string_view rwinText)
{
    const std::string context =
        "saving \"" + printable(mtuText) + "\" and \"" + printable(rwinText) + "\"";
    const std::optional<std::uint32_t> mtu = lumox::parseTuningNumber(mtuText, lumox::kMaxMtuField);
    const std::optional<std::uint32_t> rwin = lumox::parseTuningNumber(rwinText, lumox::kRwinField);

    const StoreContent before = store.content;
    store.plan(plan);
    lumox::RegistryWriter writer(store);
    const ActionOutcome outcome = lumox::saveTuningValues(writer, mtuText, rwinText);

    LUMOX_FUZZ_CHECK(!store.batchOpen() && store.openKeys() == 0, context);
    LUMOX_FUZZ_CHECK(outcome.succeeded == (mtu && rwin && !store.faulted()), context);
    if (!mtu || !rwin) {
        // Invalid input is refused before the store is touched.
        LUMOX_FUZZ_CHECK(store.calls() == 0 && store.content == before, context);
        LUMOX_FUZZ_CHECK(outcome.title == "Not Saved", context);
        const bool namesMtu =
            outcome.text.find(rangeSentence(lumox::kMaxMtuField)) != std::string::npos;
        const bool namesRwin =
            outcome.text.find(rangeSentence(lumox::kRwinField)) != std::string::npos;
        LUMOX_FUZZ_CHECK(namesMtu == !mtu && namesRwin == !rwin, context + ": " + outcome.text);
        LUMOX_FUZZ_CHECK(endsWith(outcome.text, "Nothing was saved."), context);
        return;
    }
    if (store.faulted()) {
        LUMOX_FUZZ_CHECK(outcome.title == "Not Saved", context);
        if (store.undoFailed()) {
            LUMOX_FUZZ_CHECK(outcome.text.find("may have been changed") != std::string::npos,
                             context + ": " + outcome.text);
        } else {
            LUMOX_FUZZ_CHECK(store.content == before, context);
            LUMOX_FUZZ_CHECK(endsWith(outcome.text, "Nothing was saved."),
                             context + ": " + outcome.text);
        }
        return;
    }
    LUMOX_FUZZ_CHECK(store.content == savedContent(before, *mtu, *rwin), context);
    LUMOX_FUZZ_CHECK(outcome.title == "Saved!", context);
    const std::string expectedStart = "MaxMTU setting: " + std::to_string(*mtu) +
                                      " & RWIN setting: " + std::to_string(*rwin) + " saved! ";
    LUMOX_FUZZ_CHECK(outcome.text.rfind(expectedStart, 0) == 0, context + ": " + outcome.text);
}

void checkReset(MemoryStore &store, const FaultPlan &plan)
{
    const StoreContent before = store.content;
    store.plan(plan);
    const ActionOutcome outcome = lumox::resetTuningValues(store);

    LUMOX_FUZZ_CHECK(!store.batchOpen() && store.openKeys() == 0, "reset");
    LUMOX_FUZZ_CHECK(store.writes() == 0, "reset created a key or wrote a value");
    LUMOX_FUZZ_CHECK(outcome.succeeded == !store.faulted(), "reset: " + outcome.text);
    if (!store.faulted()) {
        LUMOX_FUZZ_CHECK(store.content == resetContent(before), "reset");
        LUMOX_FUZZ_CHECK(outcome.title == "Reset" && outcome.text == "Settings reset!", "reset");
        return;
    }
    LUMOX_FUZZ_CHECK(outcome.title == "Not Reset", "reset");
    if (store.undoFailed()) {
        LUMOX_FUZZ_CHECK(outcome.text.find("may have been changed") != std::string::npos,
                         "reset: " + outcome.text);
    } else {
        LUMOX_FUZZ_CHECK(store.content == before, "reset");
        LUMOX_FUZZ_CHECK(endsWith(outcome.text, "Nothing was reset."), "reset: " + outcome.text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    lumox::fuzzing::InputReader input(data, size);
    const FaultPlan savePlan = FaultPlan::decode(input.byte());
    const FaultPlan resetPlan = FaultPlan::decode(input.byte());
    const std::string texts = input.rest();
    const std::size_t lineFeed = texts.find('\n');
    const std::string_view mtuText = std::string_view(texts).substr(0, lineFeed);
    const std::string_view rwinText = lineFeed == std::string::npos
                                          ? std::string_view()
                                          : std::string_view(texts).substr(lineFeed + 1);

    for (const TuningField *field : {&lumox::kMaxMtuField, &lumox::kRwinField}) {
        checkNumberReading(mtuText, *field);
        checkNumberReading(rwinText, *field);
        checkNumberReading(texts, *field);
    }

    MemoryStore store;
    if (savePlan.valuesBefore) {
        plantEarlierValues(store.content);
    }
    checkSave(store, savePlan, mtuText, rwinText);
    checkReset(store, resetPlan);
    return 0;
}
