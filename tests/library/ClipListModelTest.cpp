#include "library/CClipListModel.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

CClipListModel* ListOf(const QStringList& paths) {
    auto* list = new CClipListModel;
    for (const QString& path : paths) {
        list->append(path);
    }
    return list;
}

TEST(ClipList, KeepsAppendOrderAndAnswersNewIndexes) {
    CClipListModel list;
    EXPECT_EQ(list.append("/c/b.MP4"), 0);
    EXPECT_EQ(list.append("/c/a.MP4"), 1);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.text(0), "/c/b.MP4");
    EXPECT_EQ(list.text(1), "/c/a.MP4");
    EXPECT_EQ(list.text(2), "");
    EXPECT_EQ(list.selection(), -1);
}

TEST(ClipList, RemoveMovesALaterSelectionWithItsEntry) {
    std::unique_ptr<CClipListModel> list(ListOf({"/a", "/b", "/c", "/d"}));
    list->select(2);
    list->remove(0);
    EXPECT_EQ(list->selection(), 1);
    EXPECT_EQ(list->text(1), "/c");
    list->remove(2); // after the selection: it stays
    EXPECT_EQ(list->selection(), 1);
}

TEST(ClipList, RemovingTheSelectedEntryLeavesNoneSelected) {
    std::unique_ptr<CClipListModel> list(ListOf({"/a", "/b", "/c"}));
    list->select(1);
    list->remove(1);
    EXPECT_EQ(list->selection(), -1);
    EXPECT_EQ(list->count(), 2);
}

TEST(ClipList, SelectMinusOneAndOutOfRangeClear) {
    std::unique_ptr<CClipListModel> list(ListOf({"/a", "/b"}));
    list->select(1);
    list->select(-1);
    EXPECT_EQ(list->selection(), -1);
    list->select(0);
    list->select(7);
    EXPECT_EQ(list->selection(), -1);
}

TEST(ClipList, FindSearchesFromTheSecondEntryAndWrapsToTheFirst) {
    std::unique_ptr<CClipListModel> list(ListOf({"/v/A.MP4", "/v/B.MP4", "/v/A.MP4"}));
    EXPECT_EQ(list->find("/v/A.MP4"), 2);
    EXPECT_EQ(list->find("/v/B.MP4"), 1);
    std::unique_ptr<CClipListModel> one(ListOf({"/v/A.MP4"}));
    EXPECT_EQ(one->find("/v/A.MP4"), 0);
    CClipListModel empty;
    EXPECT_EQ(empty.find("/v/A.MP4"), -1);
}

TEST(ClipList, FindComparesWholePathsWithLetterCase) {
    std::unique_ptr<CClipListModel> list(ListOf({"/v/CLIP1.MP4.part", "/v/clip1.mp4"}));
    EXPECT_EQ(list->find("/v/CLIP1.MP4"), -1);
    EXPECT_EQ(list->find("/v/clip1.mp4"), 1);
    EXPECT_EQ(list->find("/v/CLIP1"), -1);
}

TEST(ClipList, ShowsTheFileNameWithTheFullPathAsTooltip) {
    std::unique_ptr<CClipListModel> list(ListOf({"/media/cam/VIDEO/CLIP0001.MP4"}));
    const QModelIndex row = list->index(0);
    EXPECT_EQ(list->data(row, Qt::DisplayRole).toString(), "CLIP0001.MP4");
    EXPECT_EQ(list->data(row, Qt::ToolTipRole).toString(), "/media/cam/VIDEO/CLIP0001.MP4");
    EXPECT_EQ(list->rowCount(), 1);
}

} // namespace
