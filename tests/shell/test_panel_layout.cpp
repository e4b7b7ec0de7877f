// Where the results panel's controls go when its lists grow for a taller font.

#include <gtest/gtest.h>

#include "zeltra5/panel_layout.hpp"

namespace zeltra5 {
namespace {

TEST(PanelLayout, BoxesBelowTheListsMoveAndThoseAroundThemGrow) {
    constexpr int LISTS_BOTTOM = 286;
    constexpr int GROWTH = 13;
    const struct {
        const char* what;
        PanelBox before, after;
    } cases[] = {
        {"list", {17, 17, 196, 286}, {17, 17, 196, 299}},
        {"frame around the lists", {9, 9, 420, 292}, {9, 9, 420, 305}},
        {"panel", {0, 0, 429, 346}, {0, 0, 429, 359}},
        {"check box below", {9, 296, 114, 320}, {9, 309, 114, 333}},
        {"button starting at the edge", {114, 286, 180, 300}, {114, 299, 180, 313}},
        {"box above the edge", {0, 0, 10, 285}, {0, 0, 10, 285}},
    };
    for (const auto& c : cases) {
        const PanelBox b = after_list_growth(c.before, LISTS_BOTTOM, GROWTH);
        EXPECT_EQ(b.left, c.after.left) << c.what;
        EXPECT_EQ(b.top, c.after.top) << c.what;
        EXPECT_EQ(b.right, c.after.right) << c.what;
        EXPECT_EQ(b.bottom, c.after.bottom) << c.what;
    }
}

}  // namespace
}  // namespace zeltra5
