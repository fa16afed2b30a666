// The scramble of Skin.dat: which bytes change for which lengths, and that the packer's
// Skin.dat descrambles to exactly the plain archive it packed.
#include "skin/SkinScramble.h"

#include <QFile>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Zeros descramble to the key itself wherever a byte is changed, and stay zero elsewhere.
std::vector<std::uint8_t> Zeros(std::size_t n) {
    std::vector<std::uint8_t> bytes(n, 0);
    Descramble(bytes.data(), static_cast<std::int64_t>(n));
    return bytes;
}

void ExpectChanged(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
        EXPECT_EQ(bytes[i], SkinKey()[i % kSkinKeyLength]) << "byte " << i;
    }
}

void ExpectUnchanged(const std::vector<std::uint8_t>& bytes, std::size_t from) {
    for (std::size_t i = from; i < bytes.size(); ++i) {
        EXPECT_EQ(bytes[i], 0) << "byte " << i;
    }
}

TEST(Descramble, EveryKeyByteChangesTheByteItMeets) {
    for (std::uint8_t k : SkinKey()) {
        EXPECT_NE(k, 0);
    }
}

TEST(Descramble, TwentyThreeBytesOrFewerAreNotChanged) {
    for (std::size_t n : {0u, 1u, 22u, 23u}) {
        ExpectUnchanged(Zeros(n), 0);
    }
}

TEST(Descramble, TheLastOneToTwentyThreeBytesAreNeverChanged) {
    // 24: block 0 (0 < 1), then 23 fails 23 < 1. Bytes 0-22 changed, 23 not.
    const auto n24 = Zeros(24);
    ExpectChanged(n24, 0, 23);
    ExpectUnchanged(n24, 23);
    // 46: block 0 (0 < 23), then 23 < 23 fails. Bytes 0-22 changed, 23-45 not.
    const auto n46 = Zeros(46);
    ExpectChanged(n46, 0, 23);
    ExpectUnchanged(n46, 23);
    // 47: blocks 0 and 23 (23 < 24), then 46 fails. Bytes 0-45 changed, 46 not.
    const auto n47 = Zeros(47);
    ExpectChanged(n47, 0, 46);
    ExpectUnchanged(n47, 46);
}

TEST(Descramble, TwiceGivesBackTheOriginal) {
    std::vector<std::uint8_t> bytes(1000);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    const auto original = bytes;
    Descramble(bytes.data(), 1000);
    EXPECT_NE(bytes, original);
    Descramble(bytes.data(), 1000);
    EXPECT_EQ(bytes, original);
}

TEST(SkinPacker, SkinDatDescramblesToThePlainArchive) {
    QFile dat(QStringLiteral(OSTVIK_SKIN_DAT));
    QFile zip(QStringLiteral(OSTVIK_SKIN_ZIP));
    ASSERT_TRUE(dat.open(QIODevice::ReadOnly));
    ASSERT_TRUE(zip.open(QIODevice::ReadOnly));
    QByteArray bytes = dat.readAll();
    const QByteArray plain = zip.readAll();
    ASSERT_GT(plain.size(), 100);
    EXPECT_NE(bytes.left(4), "PK\x03\x04");
    Descramble(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(bytes, plain);
    EXPECT_EQ(plain.left(4), "PK\x03\x04");
}

} // namespace
