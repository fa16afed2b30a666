#include "MapTestSupport.h"

#include "map/CMapView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>

#include <memory>

bool PumpUntil(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

QVariant Js(CMapView& view, const QString& script) {
    auto answer = std::make_shared<std::pair<bool, QVariant>>(false, QVariant());
    view.page()->runJavaScript(script, [answer](const QVariant& value) {
        answer->first = true;
        answer->second = value;
    });
    PumpUntil([&] { return answer->first; }, 10000);
    return answer->second;
}

bool LoadPage(CMapView& view, int resource) {
    QSignalSpy loaded(&view, &CMapView::PageLoaded);
    if (!view.LoadPageFromResource(resource)) {
        return false;
    }
    if (!PumpUntil([&] { return !loaded.isEmpty(); }, 30000)) {
        return false;
    }
    return loaded.last().at(0).toBool();
}

QByteArray SentenceWithChecksum(const QByteArray& body) {
    char sum = 0;
    for (char c : body) {
        sum ^= c;
    }
    return "$" + body + "*" +
           QByteArray::number(static_cast<unsigned char>(sum), 16).rightJustified(2, '0').toUpper();
}
