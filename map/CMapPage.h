// The page the map view shows, kept silent: console output and script errors go to the
// "ostvik.map" logging category, and script dialogs (alert, confirm, prompt) are never
// shown, only logged and counted.
#pragma once

#include <QLoggingCategory>
#include <QWebEnginePage>

Q_DECLARE_LOGGING_CATEGORY(lcMap)

class CMapPage : public QWebEnginePage {
    Q_OBJECT

public:
    explicit CMapPage(QWebEngineProfile* profile, QObject* parent = nullptr);

    // How many script dialogs the page has asked for since it was made.
    int DialogsAsked() const { return m_dialogsAsked; }

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override;
    void javaScriptAlert(const QUrl& origin, const QString& text) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& text) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& text, const QString& defaultValue,
                          QString* result) override;

private:
    int m_dialogsAsked = 0;
};
