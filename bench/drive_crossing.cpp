// drive_crossing CLIP CLIP...: how long the picture stands still where a drive goes from one
// clip to the next, as the player crosses it: the first clip plays to its end while the
// next one's pages are warmed (as the playlist does when a drive's clip starts), then the
// next is opened and played. Prints the milliseconds from one clip's end to the next clip's
// first frame at each crossing, then the worst. Without picture or sound output.
#include "library/ClipWarming.h"
#include "playback/mivex.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: drive_crossing CLIP CLIP...\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    MivexOptions options;
    options.headless = true;
    mivex_configure(options);
    mivex_callbacks callbacks{};
    if (mivex_open(&callbacks) == 0 || mivex_open_file(argv[1], 0, 0) == 0 || mivex_play(0) == 0) {
        std::fprintf(stderr, "drive_crossing: cannot play %s\n", argv[1]);
        return 1;
    }
    double worst = 0.0;
    for (int next = 2; next < argc; ++next) {
        WarmClipPages(QString::fromLocal8Bit(argv[next]));
        mivex_wait_for_completion();
        const auto end = std::chrono::steady_clock::now();
        if (mivex_open_file(argv[next], 0, 0) == 0 || mivex_play(0) == 0) {
            std::fprintf(stderr, "drive_crossing: cannot play %s\n", argv[next]);
            return 1;
        }
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - end)
                .count();
        worst = std::max(worst, ms);
        std::printf("%.1f\n", ms);
    }
    std::printf("worst %.1f ms\n", worst);
    mivex_close();
    return 0;
}
