// The box walker never hands out a box that reaches outside its parent, whatever the sizes
// in a damaged clip say.
#include "track/Mp4Boxes.h"
#include "track/MemoryBytes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Mp4BoxWalk, LargeSizeHeaderCutByItsParentEndsTheWalk) {
    // A parent whose end falls inside its child's 16-byte header (size 1, then a 64-bit
    // size), while the file runs on past the parent, so the whole header can be read.
    for (const uint64_t kept : {8u, 12u, 15u}) {
        const std::string child = std::string("\0\0\0\x01gps \0\0\0\0\0\0\0\x40", 16);
        const std::string after(64, 'x');
        const std::string parent =
            std::string("\0\0\0", 3) + static_cast<char>(8 + kept) + "moov" + child.substr(0, kept);
        const std::string bytes = parent + child.substr(kept) + after;
        MemoryBytes source(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        int visited = 0;
        ForEachMp4Box(source, 8, 8 + kept, [&](const Mp4Box&) {
            ++visited;
            return true;
        });
        EXPECT_EQ(visited, 0) << kept << " bytes of the header kept";
        EXPECT_FALSE(FindMp4Box(source, "moov/gps ").has_value()) << kept;
    }
}

} // namespace
