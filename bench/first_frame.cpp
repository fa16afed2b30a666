// first_frame CLIP: milliseconds from the program's start to the clip's first decoded frame
// through the engine layer, without picture or sound output, as one number.
#include "playback/mivex.h"

#include <QApplication>

#include <chrono>
#include <clocale>
#include <cstdio>

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    if (argc != 2) {
        std::fprintf(stderr, "usage: first_frame CLIP\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    MivexOptions options;
    options.headless = true;
    mivex_configure(options);
    mivex_callbacks callbacks{};
    if (mivex_open(&callbacks) == 0 || mivex_open_file(argv[1], 0, 0) == 0) {
        std::fprintf(stderr, "first_frame: cannot open %s\n", argv[1]);
        return 1;
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.1f\n", ms);
    mivex_close();
    return 0;
}
