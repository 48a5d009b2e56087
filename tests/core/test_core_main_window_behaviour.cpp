#include "identity.h"
#include "main_window_behaviour.h"
#include "texts.h"
#include "tuning_actions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using lumox::ControlEvent;
using lumox::RegistryHive;
using lumox::RegistryKey;
using lumox::RegistryResult;
using lumox::RegistryStore;

// The stored values, by key path and value name.
using Values = std::map<std::pair<std::string, std::string>, std::string>;

// A registry in memory whose batches are atomic. With refuseWrites set, every value
// written fails as a full disk would.
class MemoryStore final : public RegistryStore
{
public:
    explicit MemoryStore(Values &values, const bool &refuseWrites)
        : m_values(values), m_refuseWrites(refuseWrites)
    {
    }

    RegistryResult openKey(RegistryHive, std::string_view path,
                           std::unique_ptr<RegistryKey> &key) override
    {
        key = std::make_unique<Key>(std::string(path));
        return {};
    }
    RegistryResult createKey(RegistryHive hive, std::string_view path,
                             std::unique_ptr<RegistryKey> &key) override
    {
        return openKey(hive, path, key);
    }
    RegistryResult setStringValue(RegistryKey &key, std::string_view name,
                                  std::string_view data) override
    {
        if (m_refuseWrites)
            return RegistryResult::failure("the disk is full");
        m_values[{static_cast<Key &>(key).path, std::string(name)}] = std::string(data);
        return {};
    }
    RegistryResult deleteValue(RegistryKey &key, std::string_view name) override
    {
        if (m_values.erase({static_cast<Key &>(key).path, std::string(name)}) == 0)
            return RegistryResult::notFound("the value does not exist");
        return {};
    }
    RegistryResult beginBatch() override
    {
        m_before = m_values;
        return {};
    }
    RegistryResult commitBatch() override { return {}; }
    RegistryResult rollbackBatch() override
    {
        m_values = m_before;
        return {};
    }
    bool batchesAreAtomic() const override { return true; }

private:
    struct Key final : RegistryKey
    {
        explicit Key(std::string keyPath) : path(std::move(keyPath)) {}
        std::string path;
    };

    Values &m_values;
    const bool &m_refuseWrites;
    Values m_before;
};

// A window face that keeps what the behaviour does to it.
class FakeFace final : public lumox::MainWindowFace
{
public:
    std::string mtuText() const override { return mtu; }
    std::string rwinText() const override { return rwin; }
    // As the box's change notification does, runs the RWIN box's routed event.
    void setRwinText(const std::string &text) override
    {
        rwin = text;
        if (behaviour != nullptr)
            behaviour->handle("txtRWIN", ControlEvent::Change);
    }
    void setFormulaCaption(const std::string &text) override { caption = text; }
    void setFormulaVisible(bool visible) override { formulaVisible = visible; }
    std::string toUtf8(const std::string &text) const override { return text; }
    void showMessage(std::string_view title, std::string_view text) override
    {
        messages.emplace_back(title, text);
    }
    bool openSponsorPage(std::string_view address) override
    {
        openedAddresses.emplace_back(address);
        return browserStarts;
    }
    void showSponsorPicture(std::int16_t sponsorNumber) override
    {
        pictures.push_back(sponsorNumber);
    }
    void unload() override { ++unloads; }

    lumox::MainWindowBehaviour *behaviour = nullptr;
    std::string mtu;
    std::string rwin;
    std::string caption;
    bool formulaVisible = false;
    bool browserStarts = true;
    std::vector<std::pair<std::string, std::string>> messages;
    std::vector<std::string> openedAddresses;
    std::vector<std::int16_t> pictures;
    int unloads = 0;
};

Values savedValues(const std::string &mtu, const std::string &rwin)
{
    Values values;
    for (const std::string_view key : lumox::kAdapterKeys)
        values[{std::string(key), std::string(lumox::kMaxMtuValueName)}] = mtu;
    values[{std::string(lumox::kFirstBindingKey), std::string(lumox::kMaxMtuValueName)}] = mtu;
    values[{std::string(lumox::kTcpKey), std::string(lumox::kRcvWindowValueName)}] = rwin;
    return values;
}

// What each routed control event does, through the face and the store alone. One
// scenario, longer than a function should be, because each step starts from what the
// step before left in the store and on the face.
TEST(CoreMainWindowBehaviour, RoutedEventsSaveResetDrawAndOpenTheSponsorPage)
{
    namespace tt = lumox::tuning_texts;
    Values stored;
    bool refuseWrites = false;
    FakeFace face;
    lumox::MainWindowBehaviour behaviour(face, lumox::RwinRules{},
                                         std::make_unique<MemoryStore>(stored, refuseWrites));
    face.behaviour = &behaviour;
    const auto lastMessage = [&face] {
        return face.messages.empty() ? std::pair<std::string, std::string>{} : face.messages.back();
    };

    // Typing an MTU proposes RWIN and shows the formula; other events are not routed.
    face.mtu = "1500";
    EXPECT_TRUE(behaviour.handle("txtMTU", ControlEvent::Change));
    EXPECT_EQ(face.rwin, "5840");
    EXPECT_EQ(face.caption, "(1500 - 40) * 4");
    EXPECT_TRUE(face.formulaVisible);
    EXPECT_FALSE(behaviour.handle("txtMTU", ControlEvent::Click));
    EXPECT_FALSE(behaviour.handle("Label9", ControlEvent::Click));

    // A save writes both values everywhere and says so.
    EXPECT_TRUE(behaviour.handle("cmdSave", ControlEvent::Click));
    EXPECT_EQ(stored, savedValues("1500", "5840"));
    EXPECT_EQ(lastMessage(),
              std::pair(std::string(tt::savedTitle), tt::savedMessage("1500", "5840")));

    // A store that fails keeps what was saved before, and the message says why.
    refuseWrites = true;
    face.mtu = "576";
    behaviour.handle("txtMTU", ControlEvent::Change);
    EXPECT_TRUE(behaviour.handle("cmdSaveMTU", ControlEvent::Click));
    EXPECT_EQ(stored, savedValues("1500", "5840"));
    EXPECT_EQ(lastMessage().first, tt::notSavedTitle);
    EXPECT_NE(lastMessage().second.find("the disk is full"), std::string::npos);
    EXPECT_NE(lastMessage().second.find(tt::nothingSaved), std::string::npos);

    // An RWIN of the user's own hides the formula; out of range, it reaches no store.
    refuseWrites = false;
    face.rwin = "0";
    EXPECT_TRUE(behaviour.handle("txtRWIN", ControlEvent::Change));
    EXPECT_FALSE(face.formulaVisible);
    behaviour.handle("cmdSave", ControlEvent::Click);
    EXPECT_EQ(stored, savedValues("1500", "5840"));
    EXPECT_EQ(lastMessage().first, tt::notSavedTitle);

    // A reset deletes the values again; the boxes keep their texts.
    EXPECT_TRUE(behaviour.handle("cmdReset", ControlEvent::Click));
    EXPECT_TRUE(stored.empty());
    EXPECT_EQ(lastMessage(),
              std::pair(std::string(tt::resetTitle), std::string(tt::settingsReset)));
    EXPECT_EQ(face.mtu, "576");

    // A banner tick draws a sponsor and shows its picture.
    EXPECT_TRUE(behaviour.handle("tmrAds", ControlEvent::Timer));
    ASSERT_EQ(face.pictures.size(), 1u);
    EXPECT_EQ(face.pictures[0], behaviour.sponsorNumber());
    EXPECT_GE(behaviour.sponsorNumber(), 1);
    EXPECT_LE(behaviour.sponsorNumber(), lumox::sponsorPictureCount);

    // A click on any banner opens the sponsor's page; without a browser, the message
    // gives the address instead.
    const std::size_t messagesBefore = face.messages.size();
    EXPECT_TRUE(behaviour.handle("imgAds2", ControlEvent::Click));
    EXPECT_EQ(face.openedAddresses,
              std::vector<std::string>{std::string(lumox::sponsorPageAddress)});
    EXPECT_EQ(face.messages.size(), messagesBefore);
    face.browserStarts = false;
    EXPECT_TRUE(behaviour.handle("imgAds4", ControlEvent::Click));
    EXPECT_EQ(face.openedAddresses.size(), 2u);
    EXPECT_EQ(lastMessage(),
              std::pair(std::string(lumox::identity::programTitle),
                        lumox::texts::sponsorPageUnavailable(lumox::sponsorPageAddress)));

    // Quit unloads the window.
    EXPECT_TRUE(behaviour.handle("cmdExit", ControlEvent::Click));
    EXPECT_EQ(face.unloads, 1);
}

} // namespace
