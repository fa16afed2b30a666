#include "ZipMaker.h"

#include <QFile>
#include <QTemporaryDir>

#include <zip.h>

#include <stdexcept>

QByteArray MakeZip(const ZipEntries& entries) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("test.zip"));
    int code = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (archive == nullptr) {
        throw std::runtime_error("zip_open");
    }
    for (const auto& [name, bytes] : entries) {
        // libzip copies nothing: the bytes stay alive in `entries` until zip_close.
        zip_source_t* source = zip_source_buffer(archive, bytes.constData(),
                                                 static_cast<zip_uint64_t>(bytes.size()), 0);
        if (zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            throw std::runtime_error("zip_file_add");
        }
    }
    if (zip_close(archive) != 0) {
        throw std::runtime_error("zip_close");
    }
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

ZipEntries MinimalSkin() {
    return {
        {QStringLiteral("skin.json"),
         R"({"style": "look.qss",
             "elements": {"pane": {"background": "#204060", "image": "face.svg"},
                          "#77": {"background": "#0a0b0c"}},
             "layouts": {"pane": {"child": {"left": [0.5, 4], "top": [0, 10],
                                            "right": [1, -4], "bottom": [1, -10]}}}})"},
        {QStringLiteral("look.qss"), "QLabel { color: #ffffff; }"},
        {QStringLiteral("face.svg"),
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 10 10" width="10" height="10">)"
         R"(<rect x="5" y="0" width="5" height="10" fill="#ff0000"/></svg>)"},
    };
}
