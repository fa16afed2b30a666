// A camera's extras keep to the clip's seconds and to their columns, as the other stores do.
#include "track/CameraExtras.h"

#include <gtest/gtest.h>

namespace {

TEST(CameraExtras, KeepsToTheClipsSecondsAndItsColumns) {
    CameraExtras extras;
    extras.SetColumns({"gear", "brake"});
    extras.SetLastSecond(5);
    extras.Put(5, {"drive", "1"});
    extras.Put(6, {"park", "0"});
    extras.Put(-1, {"park", "0"});
    extras.Put(2, {"reverse"});
    ASSERT_NE(extras.Find(5), nullptr);
    EXPECT_EQ(*extras.Find(5), (std::vector<std::string>{"drive", "1"}));
    EXPECT_EQ(extras.Find(6), nullptr);
    EXPECT_EQ(extras.Find(-1), nullptr);
    EXPECT_EQ(extras.Find(2), nullptr);
    EXPECT_EQ(extras.LastFilledSecond(), 5);
}

// A reader naming its columns starts from nothing, so no row of another layout is left over.
TEST(CameraExtras, NamingTheColumnsForgetsTheValues) {
    CameraExtras extras;
    extras.SetColumns({"gear"});
    extras.Put(0, {"drive"});
    extras.SetColumns({"gear"});
    EXPECT_TRUE(extras.Empty());
    EXPECT_EQ(extras.Find(0), nullptr);
}

} // namespace
