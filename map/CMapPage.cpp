#include "map/CMapPage.h"

#include <QDesktopServices>

Q_LOGGING_CATEGORY(lcMap, "ostvik.map", QtWarningMsg)

CMapPage::CMapPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}

bool CMapPage::IsOwnPage(const QUrl& url) {
    return url.scheme() == QLatin1String("qrc") && url.host().isEmpty() &&
           url.path().startsWith(QLatin1String("/map/"));
}

bool CMapPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    // Frames inside a page are the map service's business; only the page itself is kept.
    if (!isMainFrame || IsOwnPage(url)) {
        return true;
    }
    // A link opens in the desktop's browser, and only a web address, so that nothing in a
    // page can start another program. Chromium names a script's move a link too: the most
    // it can do is show a web page in the browser.
    const bool web =
        url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http");
    if (type == NavigationTypeLinkClicked && web) {
        qCInfo(lcMap) << "link opened in the desktop's browser:" << url.toString();
        QDesktopServices::openUrl(url);
    } else {
        qCInfo(lcMap) << "navigation away from the map refused:" << url.toString();
    }
    return false;
}

void CMapPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                        int line, const QString& source) {
    if (level == ErrorMessageLevel) {
        qCInfo(lcMap) << "page error:" << message << source << line;
    } else {
        qCDebug(lcMap) << "page:" << message << source << line;
    }
}

void CMapPage::javaScriptAlert(const QUrl& /*origin*/, const QString& text) {
    ++m_dialogsAsked;
    qCInfo(lcMap) << "page alert not shown:" << text.left(200);
}

bool CMapPage::javaScriptConfirm(const QUrl& /*origin*/, const QString& text) {
    ++m_dialogsAsked;
    qCInfo(lcMap) << "page confirm not shown:" << text.left(200);
    return false;
}

bool CMapPage::javaScriptPrompt(const QUrl& /*origin*/, const QString& text,
                                const QString& /*defaultValue*/, QString* /*result*/) {
    ++m_dialogsAsked;
    qCInfo(lcMap) << "page prompt not shown:" << text.left(200);
    return false;
}
