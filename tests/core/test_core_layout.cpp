#include "layout.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

namespace layout = lumox::layout;

namespace {

// Both front ends create the controls in table order and look parents up by name, so
// every parent must come before its children, and names must not repeat.
void expectBuildableInOrder(std::span<const layout::Control> controls)
{
    std::set<std::string_view> created;
    std::set<int> focusOrders;
    for (const layout::Control &control : controls) {
        SCOPED_TRACE(std::string(control.name));
        EXPECT_TRUE(created.insert(control.name).second) << "the name repeats";
        EXPECT_TRUE(control.parent.empty() || created.count(control.parent))
            << "parent " << control.parent << " comes later or not at all";
        if (control.focusOrder >= 0)
            EXPECT_TRUE(focusOrders.insert(control.focusOrder).second) << "focus order repeats";
        if (control.kind == layout::Kind::BannerSlot) {
            const layout::Control *frame = layout::findMainWindowControl(control.parent);
            ASSERT_NE(frame, nullptr);
            EXPECT_EQ(frame->kind, layout::Kind::BannerFrame);
            EXPECT_EQ(frame->page, control.page);
        }
        if (control.kind == layout::Kind::TextBox || control.kind == layout::Kind::Button ||
            control.kind == layout::Kind::BannerFrame || control.kind == layout::Kind::BannerSlot)
            EXPECT_FALSE(control.accessibleName.empty());
    }
}

TEST(CoreLayout, WindowsCanBeBuiltInTableOrder)
{
    expectBuildableInOrder(layout::mainWindowControls());
    expectBuildableInOrder(layout::splashWindowControls());
    EXPECT_EQ(layout::findMainWindowControl("imgAds4")->parent, "Picture5");
    EXPECT_EQ(layout::findMainWindowControl("nothing"), nullptr);
    EXPECT_EQ(layout::findSplashWindowControl("txtMTU"), nullptr);
}

} // namespace
