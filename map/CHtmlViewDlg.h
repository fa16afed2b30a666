// The map host pane: holds the map view inside the main window with an 8-pixel margin.
#pragma once

#include <QWidget>

class CMapView;

class CHtmlViewDlg : public QWidget {
    Q_OBJECT

public:
    // Creates the map view, which starts loading its page.
    explicit CHtmlViewDlg(QWidget* parent = nullptr);

    CMapView* MapView() const { return m_view; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CMapView* m_view = nullptr;
};
