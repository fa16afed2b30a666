// The excerpt export dialog: how to hand the marked stretch over (the streams copied as
// they are, or re-encoded with the time, speed and place burnt in), where to save it, and
// the job's progress. It is not modal: the player plays on while the job runs, and a
// failure or a cancel is told in the dialog, never in a message box.
#pragma once

#include "evidence/ExcerptRequest.h"

#include <QDialog>

#include <functional>
#include <optional>

class ExcerptJob;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

class CExportDlg : public QDialog {
    Q_OBJECT

public:
    explicit CExportDlg(QWidget* parent = nullptr);
    ~CExportDlg() override;

    // The stretch to export (its pieces, its other cameras) and the name it is offered
    // under, without a folder; the dialog keeps the folder last saved to.
    void SetExcerpt(const ExcerptRequest& excerpt, const QString& defaultName);
    // The overlay's speed in km/h, else mile/h: the dial's unit.
    void SetSpeedUnit(bool kmh) { m_kmh = kmh; }
    // Asks where to save, given the path offered; empty for cancel. Tests set their own.
    void SetSavePathPrompt(std::function<QString(const QString&)> prompt) {
        m_savePathPrompt = std::move(prompt);
    }

    // The request the choices make now.
    ExcerptRequest Request() const;
    bool Running() const;
    QRadioButton* CopyChoice() const { return m_copy; }
    QRadioButton* OverlayChoice() const { return m_overlay; }
    QLineEdit* TextLine() const { return m_text; }
    QCheckBox* CamerasChoice() const { return m_cameras; }
    QCheckBox* ReportChoice() const { return m_report; }
    QLineEdit* PathLine() const { return m_path; }
    QPushButton* ExportButton() const { return m_export; }
    QPushButton* CancelButton() const { return m_cancel; }
    QProgressBar* Progress() const { return m_progress; }
    QLabel* Status() const { return m_status; }
    QLabel* SnapNote() const { return m_snap; }

    void StartExport();
    void CancelExport();

signals:
    void exported(const QString& path);

private:
    void ShowStatus(const QString& text);
    void Browse();
    void UpdateChoices();
    void FindKeyframeSnap();
    void OnProgress(double fraction, double secondsLeft);
    void OnFinished(bool ok, const QString& why);
    void WriteReport(const ExcerptRequest& request);
    QString Choices(const ExcerptRequest& request) const;

    ExcerptRequest m_excerpt;
    // How far back a copy starts, once found; which search is the latest.
    std::optional<double> m_snapSeconds;
    int m_snapProbe = 0;
    ExcerptJob* m_job = nullptr;
    std::function<QString(const QString&)> m_savePathPrompt;
    QLabel* m_summary = nullptr;
    QRadioButton* m_copy = nullptr;
    QLabel* m_snap = nullptr;
    QRadioButton* m_overlay = nullptr;
    QLineEdit* m_text = nullptr;
    QCheckBox* m_cameras = nullptr;
    QCheckBox* m_report = nullptr;
    std::optional<ExcerptRequest> m_reportFor; // the export running asks for a report of it
    bool m_reporting = false;                  // the report is being written
    bool m_kmh = true;
    QLineEdit* m_path = nullptr;
    QPushButton* m_browse = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_cancel = nullptr;
};
