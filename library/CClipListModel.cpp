#include "library/CClipListModel.h"

#include <QFileInfo>

#include <algorithm>
#include <vector>

QString CClipListModel::text(int index) const {
    return index >= 0 && index < count() ? m_paths.at(index) : QString();
}

int CClipListModel::append(const QString& path) {
    const int index = count();
    beginInsertRows({}, index, index);
    m_paths.append(path);
    endInsertRows();
    return index;
}

void CClipListModel::remove(int index) {
    if (index < 0 || index >= count()) {
        return;
    }
    int next = m_selection;
    if (m_selection == index) {
        next = -1;
    } else if (m_selection > index) {
        next = m_selection - 1;
    }
    beginRemoveRows({}, index, index);
    m_paths.removeAt(index);
    endRemoveRows();
    // A view may have reported its own idea of the selection while the rows moved; the
    // list's rule decides, and the view follows it.
    m_selection = next;
    emit selectionChanged(m_selection);
}

void CClipListModel::replace(int index, const QString& path) {
    if (index < 0 || index >= count()) {
        return;
    }
    m_paths[index] = path;
    const QModelIndex row = this->index(index);
    emit dataChanged(row, row);
}

void CClipListModel::select(int index) {
    const int selection = index >= 0 && index < count() ? index : -1;
    if (selection != m_selection) {
        m_selection = selection;
        emit selectionChanged(m_selection);
    }
}

int CClipListModel::find(const QString& path) const {
    const int n = count();
    for (int k = 1; k <= n; ++k) {
        const int i = k % n;
        if (m_paths.at(i) == path) {
            return i;
        }
    }
    return -1;
}

void CClipListModel::gather(const QStringList& paths) {
    std::vector<int> rows;
    for (const QString& path : paths) {
        const int row = static_cast<int>(m_paths.indexOf(path));
        if (row != -1) {
            rows.push_back(row);
        }
    }
    std::sort(rows.begin(), rows.end());
    QStringList order;
    for (const int row : rows) {
        order.append(m_paths.at(row));
    }
    const int selection = m_selection;
    for (int k = 1; k < order.size(); ++k) {
        const int from = static_cast<int>(m_paths.indexOf(order.at(k)));
        const int to = rows.front() + k;
        // Each clip not yet in place lies below the ones that are.
        if (from == to) {
            continue;
        }
        beginMoveRows({}, from, from, {}, to);
        m_paths.move(from, to);
        endMoveRows();
        if (m_selection == from) {
            m_selection = to;
        } else if (m_selection >= to && m_selection < from) {
            ++m_selection;
        }
    }
    if (m_selection != selection) {
        emit selectionChanged(m_selection);
    }
}

void CClipListModel::setDriveHeaders(QHash<QString, QString> headers) {
    // A header changes its row's height, so the view lays the rows out again.
    emit layoutAboutToBeChanged();
    m_headers = std::move(headers);
    emit layoutChanged();
}

void CClipListModel::setChannels(const QString& path, const QString& channels) {
    if (m_channels.value(path) == channels) {
        return;
    }
    if (channels.isEmpty()) {
        m_channels.remove(path);
    } else {
        m_channels.insert(path, channels);
    }
    for (int i = 0; i < count(); ++i) {
        if (m_paths.at(i) == path) {
            emit dataChanged(index(i), index(i), {Qt::DisplayRole});
        }
    }
}

int CClipListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant CClipListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count()) {
        return {};
    }
    const QString& path = m_paths.at(index.row());
    switch (role) {
    case Qt::DisplayRole: {
        const QString channels = m_channels.value(path);
        const QString name = QFileInfo(path).fileName();
        return channels.isEmpty() ? name : name + QStringLiteral("  ") + channels;
    }
    case Qt::ToolTipRole:
        // A tooltip that looks like markup is shown as markup: the path is escaped inside
        // rich text of its own, its spaces kept, so every name shows as it is.
        return QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(path.toHtmlEscaped());
    case DriveHeaderRole:
        return m_headers.value(path);
    default:
        return {};
    }
}
