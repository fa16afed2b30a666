#include "map/CMapPage.h"

Q_LOGGING_CATEGORY(lcMap, "ostvik.map", QtWarningMsg)

CMapPage::CMapPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}

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
