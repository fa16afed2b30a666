#include "app/ExcerptCameras.h"

#include "app/MomentChannels.h"
#include "playback/mivex.h"

#include <QFile>

std::vector<std::string> ExcerptBeside(const std::vector<ExcerptPiece>& pieces) {
    std::vector<std::string> beside;
    QString camera;
    for (const ExcerptPiece& piece : pieces) {
        const ChannelMoment moment =
            MomentChannels(QFile::decodeName(piece.clip.c_str()), nullptr, 0);
        std::string path;
        for (const PaneChannel& other : moment.others) {
            if (!other.path.isEmpty() && (camera.isEmpty() || other.camera == camera)) {
                camera = other.camera;
                path = QFile::encodeName(other.path).toStdString();
                break;
            }
        }
        if (camera.isEmpty()) {
            return {};
        }
        beside.push_back(path);
    }
    return beside;
}

SmallPicture WindowSmallPicture() {
    const ChannelView view = mivex_channel_view();
    const ChannelCanvas canvas = mivex_channel_canvas();
    if (view.arrangement != ChannelArrangement::PictureInPicture || view.big != 0 ||
        canvas.cells.size() < 2 || canvas.width <= 0 || canvas.height <= 0) {
        return {};
    }
    const PictureRect& small = canvas.cells[1];
    return {static_cast<double>(small.x) / canvas.width,
            static_cast<double>(small.y) / canvas.height,
            static_cast<double>(small.width) / canvas.width};
}
