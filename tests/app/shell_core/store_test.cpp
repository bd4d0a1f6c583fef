#include "app/shell_core/store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace orb {
namespace {

// The month view keeps its layout while the revision stands still: a change that does not
// move it never reaches the screen.
TEST(LocalStoreTest, EveryChangeMovesTheRevision)
{
    LocalStore store;
    std::vector<std::uint64_t> seen{store.Revision()};
    store.Write([](LocalStore::Data& data) { data.calendars.emplace_back(); });
    seen.push_back(store.Revision());
    store.Empty();
    seen.push_back(store.Revision());
    store.ReleaseTaskLists();
    seen.push_back(store.Revision());
    EXPECT_NE(seen[0], 0u) << "0 tells the view the store does not count";
    EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end(), std::greater_equal<>()), seen.end());
}

} // namespace
} // namespace orb
