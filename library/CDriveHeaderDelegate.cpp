#include "library/CDriveHeaderDelegate.h"

#include "library/CClipListModel.h"

#include <QPainter>

int CDriveHeaderDelegate::BandHeight(const QStyleOptionViewItem& option) {
    return option.fontMetrics.height() + 4;
}

void CDriveHeaderDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const QString header = index.data(CClipListModel::DriveHeaderRole).toString();
    if (header.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const int band = BandHeight(option);
    const QRect bandRect(option.rect.left(), option.rect.top(), option.rect.width(), band);
    painter->save();
    painter->fillRect(bandRect, option.palette.alternateBase());
    painter->setPen(option.palette.color(QPalette::Text));
    QFont bold = option.font;
    bold.setBold(true);
    painter->setFont(bold);
    painter->drawText(bandRect.adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      QFontMetrics(bold).elidedText(header, Qt::ElideRight, bandRect.width() - 8));
    painter->restore();

    QStyleOptionViewItem clip = option;
    clip.rect.setTop(option.rect.top() + band);
    QStyledItemDelegate::paint(painter, clip, index);
}

QSize CDriveHeaderDelegate::sizeHint(const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (!index.data(CClipListModel::DriveHeaderRole).toString().isEmpty()) {
        size.rheight() += BandHeight(option);
    }
    return size;
}
