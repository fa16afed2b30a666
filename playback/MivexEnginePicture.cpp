// The frame the engine shows, as a picture in memory or a file.
#include "playback/MivexEngine.h"

#include "playback/MpvNames.h"
#include "playback/MpvOwners.h"
#include "playback/MpvProperties.h"

#include <QFile>
#include <QImage>

#include <cstring>

namespace {

// Right after a seek the user wants the frame sought; this bounds the wait for it.
constexpr auto kSeekTimeout = std::chrono::seconds(2);

} // namespace

bool MivexEngine::GrabFrame(const char* path) {
    if (path == nullptr || *path == '\0') {
        return false;
    }
    const QImage image = GrabImage();
    return !image.isNull() && image.save(QFile::decodeName(path), "BMP");
}

QImage MivexEngine::GrabImage() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!ClipActive() || !m_state.restarted) {
            return {};
        }
    }
    // Right after a seek the user wants the frame sought, not the one still shown.
    const Clock::time_point deadline = Clock::now() + kSeekTimeout;
    WaitUntil([&] { return !m_state.seeking || !ClipActive(); }, &deadline);
    const char* command[] = {mpvname::kScreenshotRaw, mpvname::kScreenshotVideo, nullptr};
    MpvNode shot;
    if (mpv_command_ret(m_handle.get(), command, shot.Fill()) < 0) {
        shot.Discard();
        return {};
    }
    const int64_t width = NodeInt(shot.Find(mpvname::kKeyW));
    const int64_t height = NodeInt(shot.Find(mpvname::kKeyH));
    const int64_t stride = NodeInt(shot.Find(mpvname::kKeyStride));
    const mpv_node* format = shot.Find(mpvname::kKeyFormat);
    const mpv_node* data = shot.Find(mpvname::kKeyData);
    if (width <= 0 || height <= 0 || stride < width * 4 || format == nullptr ||
        format->format != MPV_FORMAT_STRING ||
        std::strcmp(format->u.string, mpvname::kFormatBgr0) != 0 || data == nullptr ||
        data->format != MPV_FORMAT_BYTE_ARRAY ||
        data->u.ba->size < static_cast<size_t>(stride * (height - 1) + width * 4)) {
        return {};
    }
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    const auto* bytes = static_cast<const unsigned char*>(data->u.ba->data);
    for (int y = 0; y < image.height(); ++y) {
        // bgr0 is B, G, R, 0 in memory; RGB32 wants the same bytes with an opaque fourth.
        const unsigned char* from = bytes + y * stride;
        auto* to = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x, from += 4) {
            to[x] = qRgb(from[2], from[1], from[0]);
        }
    }
    return image;
}
