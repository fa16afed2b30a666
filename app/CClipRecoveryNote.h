// The note over the picture of a clip a power cut left without a whole index: "Recording cut
// short — Recover". Nothing happens until the user clicks it. Then the recovered copy is
// written beside the clip (or in the user's data folder when the card cannot be written),
// off the UI thread, with a progress bar and Cancel, and `recovered` hands the copy on to be
// played in the clip's place. The clip itself is only read.
#pragma once

#include <QString>
#include <QWidget>

#include <atomic>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

class CClipRecoveryNote : public QWidget {
    Q_OBJECT

public:
    // Over the picture of `pane`, whose widget `picture` shows the video.
    CClipRecoveryNote(QWidget* pane, QWidget* picture);
    ~CClipRecoveryNote() override;

    // Looks at the clip just chosen: the note shows when its index is cut, else it hides. A
    // recovery under way goes on whatever is chosen meanwhile.
    void ShowFor(const QString& clipPath);
    bool Running() const { return m_job != nullptr; }
    QPushButton* RecoverButton() const { return m_recover; }
    QPushButton* CancelButton() const { return m_cancel; }
    QProgressBar* Progress() const { return m_progress; }
    QLabel* Text() const { return m_text; }

signals:
    void recovered(const QString& clip, const QString& copy);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Job {
        std::atomic<int> permille{0};
        std::atomic<bool> stop{false};
    };

    void Recover();
    void Finished(const QString& copy, const QString& why);
    void ShowState(bool running);
    void Place();

    QWidget* m_picture;
    QLabel* m_text = nullptr;
    QPushButton* m_recover = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    QString m_clip;
    std::shared_ptr<Job> m_job;
};
