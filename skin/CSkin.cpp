#include "skin/CSkin.h"

#include "skin/SkinLog.h"

#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <cstdio>
#include <unistd.h>

namespace {

// What a style sheet names as an image: url(name) or url("name").
const QRegularExpression& SheetUrl() {
    static const QRegularExpression url(QStringLiteral("url\\(\\s*\"?([^\")]*)\"?\\s*\\)"));
    return url;
}

// Qt's image readers print their own complaints on standard error (libpng's errors even
// with fprintf, past Qt's message handler), ahead of the one line that says the skin was
// refused and why. While the skin's images are decoded, standard error goes to a private
// file; what was written there is handed on to the skin's category at debug level.
class QuietImageDecoding {
public:
    QuietImageDecoding() {
        std::fflush(stderr);
        m_capture = std::tmpfile();
        m_saved = m_capture != nullptr ? ::dup(STDERR_FILENO) : -1;
        if (m_saved >= 0 && ::dup2(::fileno(m_capture), STDERR_FILENO) < 0) {
            ::close(m_saved);
            m_saved = -1;
        }
    }
    ~QuietImageDecoding() {
        std::fflush(stderr);
        if (m_saved >= 0) {
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
        }
        if (m_capture == nullptr) {
            return;
        }
        std::rewind(m_capture);
        char text[4096];
        const std::size_t got = std::fread(text, 1, sizeof text, m_capture);
        std::fclose(m_capture);
        if (got > 0) {
            qCDebug(lcSkin).noquote() << "while decoding the skin's images:"
                                      << QString::fromLocal8Bit(text, qsizetype(got)).trimmed();
        }
    }
    QuietImageDecoding(const QuietImageDecoding&) = delete;
    QuietImageDecoding& operator=(const QuietImageDecoding&) = delete;

private:
    std::FILE* m_capture = nullptr;
    int m_saved = -1;
};

bool Fail(QString* error, const QString& text) {
    if (error != nullptr) {
        *error = text;
    }
    return false;
}

bool IsVector(const QString& name) {
    return name.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
}

bool IsRaster(const QString& name) {
    return name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
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
    const QStringList images = skin->ImagesNamed();
    if (!skin->DecodeImages(images, error) || !skin->WriteImages(images, error)) {
        return nullptr;
    }
    skin->BuildStyleSheet();
    return skin;
}

CSkin::CSkin(SkinContent content) : m_content(std::move(content)) {
    if (!Manifest().m_styleSheet.isEmpty()) {
        m_sheet = QString::fromUtf8(m_content.File(Manifest().m_styleSheet));
    }
}

CSkin::~CSkin() = default;

QStringList CSkin::ImagesNamed() const {
    QStringList names;
    for (const SkinLook& look : Manifest().m_elements) {
        for (const QString* name : {&look.image, &look.icon}) {
            if (!name->isEmpty() && !names.contains(*name)) {
                names.append(*name);
            }
        }
    }
    // A name the archive does not hold stays in the sheet as it is written.
    for (auto it = SheetUrl().globalMatch(m_sheet); it.hasNext();) {
        const QString name = it.next().captured(1).trimmed();
        if (m_content.Holds(name) && !names.contains(name)) {
            names.append(name);
        }
    }
    return names;
}

bool CSkin::DecodeImages(const QStringList& names, QString* error) {
    const QuietImageDecoding quiet;
    for (const QString& name : names) {
        const QByteArray bytes = m_content.File(name);
        if (IsVector(name)) {
            auto renderer = std::make_shared<QSvgRenderer>(bytes);
            if (!renderer->isValid()) {
                return Fail(error, QStringLiteral("image %1 is not SVG").arg(name));
            }
            m_vectors.insert(name, renderer);
        } else if (IsRaster(name)) {
            QImage image;
            if (!image.loadFromData(bytes, "PNG")) {
                return Fail(error, QStringLiteral("image %1 is not a readable PNG").arg(name));
            }
            m_rasters.insert(name, image);
        } else {
            // Style sheets and icons find an image's kind by its name; only these two are
            // sure to be shown.
            return Fail(error, QStringLiteral("image %1 is neither SVG nor PNG").arg(name));
        }
    }
    return true;
}

bool CSkin::WriteImages(const QStringList& names, QString* error) {
    if (!m_folder.isValid()) {
        return Fail(error, QStringLiteral("no private folder for the skin's images"));
    }
    // Files get names of our own: an archive's names may hold "../" or anything else.
    int counter = 0;
    for (const QString& name : names) {
        const QString path = m_folder.filePath(
            QStringLiteral("%1%2").arg(++counter).arg(IsVector(name) ? ".svg" : ".png"));
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
    // The sheet names images as the archive does; they live in the private folder.
    QString sheet;
    qsizetype from = 0;
    for (auto it = SheetUrl().globalMatch(m_sheet); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        sheet += m_sheet.mid(from, match.capturedStart() - from);
        const QString path = m_paths.value(match.captured(1).trimmed());
        sheet += path.isEmpty() ? match.captured(0) : QuotedUrl(path);
        from = match.capturedEnd();
    }
    sheet += m_sheet.mid(from);
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
