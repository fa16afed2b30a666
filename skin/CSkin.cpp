#include "skin/CSkin.h"

#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

namespace {

bool Fail(QString* error, const QString& text) {
    if (error != nullptr) {
        *error = text;
    }
    return false;
}

bool IsVector(const QString& name) {
    return name.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
}

// A selector for every widget registered under the element.
QString Selector(const QString& element) {
    QString quoted = element;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QStringLiteral("*[skinElement=\"%1\"]").arg(quoted);
}

QString QuotedUrl(const QString& path) {
    return QStringLiteral("url(\"%1\")").arg(path);
}

} // namespace

std::unique_ptr<CSkin> CSkin::FromArchive(const QByteArray& zip, QString* error) {
    std::optional<SkinContent> content = SkinContent::Open(zip, error);
    if (!content) {
        return nullptr;
    }
    std::unique_ptr<CSkin> skin(new CSkin(std::move(*content)));
    if (!skin->DecodeImages(error) || !skin->WriteImages(error)) {
        return nullptr;
    }
    skin->BuildStyleSheet();
    return skin;
}

CSkin::CSkin(SkinContent content) : m_content(std::move(content)) {}

CSkin::~CSkin() = default;

bool CSkin::DecodeImages(QString* error) {
    for (const SkinLook& look : Manifest().m_elements) {
        for (const QString* name : {&look.image, &look.icon}) {
            if (name->isEmpty() || m_vectors.contains(*name) || m_rasters.contains(*name)) {
                continue;
            }
            const QByteArray bytes = m_content.File(*name);
            if (IsVector(*name)) {
                auto renderer = std::make_shared<QSvgRenderer>(bytes);
                if (!renderer->isValid()) {
                    return Fail(error, QStringLiteral("image %1 is not SVG").arg(*name));
                }
                m_vectors.insert(*name, renderer);
            } else {
                QImage image;
                if (!image.loadFromData(bytes)) {
                    return Fail(error, QStringLiteral("image %1 cannot be decoded").arg(*name));
                }
                m_rasters.insert(*name, image);
            }
        }
    }
    return true;
}

bool CSkin::WriteImages(QString* error) {
    if (!m_folder.isValid()) {
        return Fail(error, QStringLiteral("no private folder for the skin's images"));
    }
    // Files get names of our own: an archive's names may hold "../" or anything else.
    int counter = 0;
    for (const QString& name : m_content.Names()) {
        const bool vector = IsVector(name);
        if (!vector && !name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
            continue;
        }
        const QString path =
            m_folder.filePath(QStringLiteral("%1%2").arg(++counter).arg(vector ? ".svg" : ".png"));
        const QByteArray bytes = m_content.File(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            return Fail(error, QStringLiteral("cannot write image %1 to %2").arg(name, path));
        }
        m_paths.insert(name, path);
    }
    return true;
}

void CSkin::BuildStyleSheet() {
    QString sheet;
    if (!Manifest().m_styleSheet.isEmpty()) {
        sheet = QString::fromUtf8(m_content.File(Manifest().m_styleSheet));
        // The sheet names images as the archive does; they live in the private folder.
        static const QRegularExpression url(QStringLiteral("url\\(\\s*\"?([^\")]*)\"?\\s*\\)"));
        QString rewritten;
        qsizetype from = 0;
        for (auto it = url.globalMatch(sheet); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            rewritten += sheet.mid(from, match.capturedStart() - from);
            const QString path = m_paths.value(match.captured(1).trimmed());
            rewritten += path.isEmpty() ? match.captured(0) : QuotedUrl(path);
            from = match.capturedEnd();
        }
        sheet = rewritten + sheet.mid(from);
    }
    for (auto it = Manifest().m_elements.begin(); it != Manifest().m_elements.end(); ++it) {
        if (it.key().startsWith(QLatin1Char('#'))) {
            continue;
        }
        const SkinLook& look = it.value();
        QString body;
        if (look.background.isValid()) {
            body +=
                QStringLiteral("background-color: %1; ").arg(look.background.name(QColor::HexArgb));
        }
        if (!look.image.isEmpty()) {
            body += QStringLiteral("border-image: %1 0 0 0 0 stretch stretch; ")
                        .arg(QuotedUrl(m_paths.value(look.image)));
        }
        body += look.style;
        if (!body.trimmed().isEmpty()) {
            sheet += QStringLiteral("\n%1 { %2 }").arg(Selector(it.key()), body);
        }
    }
    m_styleSheet = sheet;
}

const SkinLook* CSkin::Look(const QString& element) const {
    const auto it = Manifest().m_elements.constFind(element);
    return it != Manifest().m_elements.constEnd() ? &it.value() : nullptr;
}

const SkinRule* CSkin::Rule(const QString& parentLayout, const QString& child) const {
    const auto layout = Manifest().m_layouts.constFind(parentLayout);
    if (layout == Manifest().m_layouts.constEnd()) {
        return nullptr;
    }
    const auto rule = layout->constFind(child);
    return rule != layout->constEnd() ? &rule.value() : nullptr;
}

QIcon CSkin::Icon(const QString& element) const {
    const SkinLook* look = Look(element);
    if (look == nullptr || look->icon.isEmpty()) {
        return {};
    }
    return QIcon(m_paths.value(look->icon));
}

bool CSkin::DrawBack(QPainter& painter, const QRect& rect, const QString& element) const {
    const SkinLook* look = Look(element);
    if (look == nullptr) {
        return false;
    }
    if (look->background.isValid()) {
        painter.fillRect(rect, look->background);
    }
    if (!look->image.isEmpty()) {
        if (const auto vector = m_vectors.value(look->image)) {
            // Rendered through the painter, so the image is as sharp as the device.
            vector->render(&painter, QRectF(rect));
        } else {
            painter.drawImage(rect, m_rasters.value(look->image));
        }
    }
    return true;
}
