// The page the map view shows, kept silent and kept home: console output and script errors
// go to the "ostvik.map" logging category, script dialogs (alert, confirm, prompt) are never
// shown, only logged and counted, and the view never leaves the program's own pages: a
// link the user clicks opens in the desktop's browser instead, and any other navigation is
// refused, since a remote page there would be handed the web channel.
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

    // True for the map pages built into the program, the only documents the view shows.
    static bool IsOwnPage(const QUrl& url);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override;
    void javaScriptAlert(const QUrl& origin, const QString& text) override;
    bool javaScriptConfirm(const QUrl& origin, const QString& text) override;
    bool javaScriptPrompt(const QUrl& origin, const QString& text, const QString& defaultValue,
                          QString* result) override;

private:
    int m_dialogsAsked = 0;
};
