// The playlist's entries: full clip paths in the order they were added, and which one is
// selected. The list view shows it (file name and the channels of its moment, full path as a
// plain tooltip); the playlist pane treats it as its store, so every rule about indexes and
// the selection lives here.
#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QStringList>

class CClipListModel : public QAbstractListModel {
    Q_OBJECT

public:
    // The header of the drive whose first listed clip the row is; empty for any other row.
    static constexpr int DriveHeaderRole = Qt::UserRole + 1;

    using QAbstractListModel::QAbstractListModel;

    int count() const { return static_cast<int>(m_paths.size()); }
    // The path at `index`; empty when out of range.
    QString text(int index) const;
    // Adds at the end and answers the new entry's index.
    int append(const QString& path);
    // Later entries move up; a later selection follows its entry, and removing the selected
    // entry leaves none selected.
    void remove(int index);
    // Puts `path` in the entry's place, which keeps its selection.
    void replace(int index, const QString& path);
    int selection() const { return m_selection; }
    // Any index out of range, -1 included, clears the selection.
    void select(int index);
    // The entry whose path is exactly `path`, searched from the second entry to the last,
    // then the first; -1 when none. Linux names are case-sensitive, and a path must not
    // match a longer one that merely begins with it.
    int find(const QString& path) const;
    // The drive headers by the path of the clip they stand above.
    void setDriveHeaders(QHash<QString, QString> headers);
    // Moves the listed ones of `paths` up to follow the first of them, keeping their order
    // in the list, so that the clips of one drive stand together under its header; the
    // selection follows its entry.
    void gather(const QStringList& paths);
    // The channels of the moment `path` leads ("F R I"), shown after its name; empty for
    // a clip of no set.
    void setChannels(const QString& path, const QString& channels);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

signals:
    void selectionChanged(int selection);

private:
    QStringList m_paths;
    QHash<QString, QString> m_headers;
    QHash<QString, QString> m_channels;
    int m_selection = -1;
};
