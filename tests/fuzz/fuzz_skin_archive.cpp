// The skin loader's decision over arbitrary archive bytes: read the ZIP within its bound,
// parse the manifest, check the files it names, and place every layout rule. A mutated
// archive rarely keeps its checksums, so the same bytes are also parsed as a manifest.
#include "skin/SkinContent.h"

#include <QSize>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto placeAll = [](const SkinManifest& manifest) {
        for (const auto& rules : manifest.m_layouts) {
            for (const SkinRule& rule : rules) {
                rule.Place(QSize(1366, 768));
                rule.Place(QSize(0, 0));
            }
        }
        manifest.FilesNamed();
    };
    if (const std::optional<SkinContent> content = SkinContent::Open(bytes)) {
        placeAll(content->Manifest());
    }
    if (const std::optional<SkinManifest> manifest = SkinManifest::Parse(bytes)) {
        placeAll(*manifest);
    }
    return 0;
}
