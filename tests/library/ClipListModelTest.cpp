#include "library/CClipListModel.h"

#include <QTextDocument>

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

// The tooltip reads as the path whatever characters it holds: a folder named <b>x</b>
// shows its name, not bold text.
TEST(ClipList, ShowsTheFileNameWithTheFullPathAsTooltip) {
    const QStringList paths = {"/media/cam/VIDEO/CLIP0001.MP4", "/home/u/<b>x</b>/A & B.MP4",
                               "/home/u/a  b/<i>.mp4"};
    std::unique_ptr<CClipListModel> list(ListOf(paths));
    EXPECT_EQ(list->data(list->index(0), Qt::DisplayRole).toString(), "CLIP0001.MP4");
    for (int i = 0; i < paths.size(); ++i) {
        // As QToolTip shows it: rich text when it looks like rich text, else plain.
        const QString tip = list->data(list->index(i), Qt::ToolTipRole).toString();
        QTextDocument shown;
        if (Qt::mightBeRichText(tip)) {
            shown.setHtml(tip);
        } else {
            shown.setPlainText(tip);
        }
        EXPECT_EQ(shown.toPlainText(), paths[i]);
    }
    EXPECT_EQ(list->rowCount(), 3);
}

} // namespace
