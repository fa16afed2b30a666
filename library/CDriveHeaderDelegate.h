// Paints the playlist's drive headers: a band above the first listed clip of each drive,
// taken from the list's DriveHeaderRole. The header is part of that clip's row rather than
// a row of its own, so every index of the list still means a clip and selection, Delete,
// Next and Previous never meet a header.
#pragma once

#include <QStyledItemDelegate>

class CDriveHeaderDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    static int BandHeight(const QStyleOptionViewItem& option);
};
