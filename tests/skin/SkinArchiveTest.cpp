// What the skin loader accepts and refuses, on archives made here with libzip.
#include "ZipMaker.h"

#include "skin/SkinContent.h"

#include <gtest/gtest.h>

namespace {

ZipEntries Without(ZipEntries entries, const QString& name) {
    std::erase_if(entries, [&](const auto& entry) { return entry.first == name; });
    return entries;
}

ZipEntries WithManifest(ZipEntries entries, const QByteArray& json) {
    for (auto& entry : entries) {
        if (entry.first == QLatin1String("skin.json")) {
            entry.second = json;
        }
    }
    return entries;
}

TEST(SkinArchive, AcceptsASkinWithItsManifestAndEveryFileItNames) {
    QString error;
    const auto content = SkinContent::Open(MakeZip(MinimalSkin()), &error);
    ASSERT_TRUE(content) << error.toStdString();
    EXPECT_EQ(content->Manifest().m_styleSheet, "look.qss");
    EXPECT_EQ(content->Manifest().m_elements.value("pane").background, QColor(0x20, 0x40, 0x60));
    EXPECT_EQ(content->File("look.qss"), "QLabel { color: #ffffff; }");
}

TEST(SkinArchive, RefusesWhatIsNotAZip) {
    QString error;
    EXPECT_FALSE(SkinContent::Open("this is plain text, not an archive", &error));
    EXPECT_TRUE(error.contains("not a ZIP")) << error.toStdString();
    // A ZIP whose first bytes were scrambled, as Skin.dat is when not descrambled.
    QByteArray damaged = MakeZip(MinimalSkin());
    for (int i = 0; i < damaged.size() - 23; ++i) {
        damaged[i] = static_cast<char>(damaged[i] ^ 0x5a);
    }
    EXPECT_FALSE(SkinContent::Open(damaged));
    EXPECT_FALSE(SkinContent::Open(QByteArray()));
}

TEST(SkinArchive, RefusesAnArchiveWithoutTheManifest) {
    QString error;
    EXPECT_FALSE(SkinContent::Open(MakeZip(Without(MinimalSkin(), "skin.json")), &error));
    EXPECT_TRUE(error.contains("skin.json")) << error.toStdString();
}

TEST(SkinArchive, RefusesAManifestNamingFilesTheArchiveLacks) {
    QString error;
    EXPECT_FALSE(SkinContent::Open(MakeZip(Without(MinimalSkin(), "face.svg")), &error));
    EXPECT_TRUE(error.contains("face.svg")) << error.toStdString();
    EXPECT_FALSE(SkinContent::Open(MakeZip(Without(MinimalSkin(), "look.qss"))));
}

TEST(SkinArchive, RefusesMalformedManifests) {
    const QByteArray bad[] = {
        "not json",
        "[1, 2]",
        R"({"elements": {"pane": {"background": "no such colour"}}})",
        R"({"elements": {"pane": {"style": "color: red; } QWidget { color: blue"}}})",
        R"({"layouts": {"pane": {"child": {"left": [0, 1], "top": [0, 1], "right": [1, 0]}}}})",
        R"({"layouts": {"pane": {"child": {"left": [0, 1.5], "top": [0, 1], "right": [1, 0],
                                            "bottom": [1, 0]}}}})",
        R"({"layouts": {"pane": {"child": {"left": [1e300, 0], "top": [0, 1], "right": [1, 0],
                                            "bottom": [1, 0]}}}})",
    };
    for (const QByteArray& json : bad) {
        EXPECT_FALSE(SkinContent::Open(MakeZip(WithManifest(MinimalSkin(), json))))
            << json.toStdString();
    }
}

// 64 MiB = 67108864 bytes is the most all entries may inflate to together.
TEST(SkinArchive, EntriesMayInflateTo64MegabytesInAllButNotOneByteMore) {
    const QByteArray half(32 * 1024 * 1024, '\0');
    ZipEntries entries = MinimalSkin();
    qsizetype small = 0;
    for (const auto& entry : entries) {
        small += entry.second.size();
    }
    entries.emplace_back("a.bin", half);
    entries.emplace_back("b.bin", QByteArray(32 * 1024 * 1024 - small, '\0'));
    const QByteArray exact = MakeZip(entries);
    // Zeros deflate about a thousandfold: the archive itself is small.
    EXPECT_LT(exact.size(), 1024 * 1024);
    EXPECT_TRUE(SkinContent::Open(exact));

    entries.emplace_back("c.bin", QByteArray(1, '\0'));
    QString error;
    EXPECT_FALSE(SkinContent::Open(MakeZip(entries), &error));
    EXPECT_TRUE(error.contains("64 MB")) << error.toStdString();
}

// A skin holds a few dozen files; counting the entries before the archive is opened keeps
// one of a million empty entries from costing seconds and hundreds of megabytes.
TEST(SkinArchive, HoldsAtMostAThousandEntries) {
    ZipEntries entries = MinimalSkin();
    while (entries.size() < 1000) {
        entries.emplace_back(QString::number(entries.size()), QByteArray());
    }
    EXPECT_TRUE(SkinContent::Open(MakeZip(entries)));
    entries.emplace_back("one.more", QByteArray());
    QString error;
    EXPECT_FALSE(SkinContent::Open(MakeZip(entries), &error));
    EXPECT_TRUE(error.contains("1000 entries")) << error.toStdString();
    // An end record whose count says "see the zip64 record", as only huge archives need.
    QByteArray zip64 = MakeZip(MinimalSkin());
    const qsizetype end = zip64.lastIndexOf("PK\x05\x06");
    zip64.replace(end + 8, 4, "\xff\xff\xff\xff");
    EXPECT_FALSE(SkinContent::Open(zip64, &error));
    EXPECT_TRUE(error.contains("1000 entries")) << error.toStdString();
}

} // namespace
