// Ostvik: plays dash-camera clips with their track on a map, a G-sensor chart and a dial.

#include "app/BrowserEnvironment.h"
#include "app/COstvikApp.h"
#include "app/COstvikDlg.h"
#include "app/QuietTerminal.h"
#include "app/WebViewRendering.h"
#include "playback/CVideoViewDlg.h"
#include "playback/mivex.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <string_view>
#include <unistd.h>

namespace {

void NameProgram() {
    QCoreApplication::setApplicationName(QStringLiteral("Ostvik"));
    QCoreApplication::setApplicationVersion(QStringLiteral(OSTVIK_VERSION));
}

void DescribeOptions(QCommandLineParser& options) {
    options.setApplicationDescription(QStringLiteral("Dash-camera clip player"));
    options.addHelpOption();
    options.addVersionOption();
    options.addPositionalArgument(QStringLiteral("clips"), QStringLiteral("Clips to add and play."),
                                  QStringLiteral("[clips...]"));
    options.addOptions({
        {QStringLiteral("grab"),
         QStringLiteral("Save a picture of the window to <file> before quitting."),
         QStringLiteral("file")},
        {QStringLiteral("quit-after"), QStringLiteral("Quit after <ms> milliseconds."),
         QStringLiteral("ms")},
        {QStringLiteral("no-audio"), QStringLiteral("Play without sound.")},
    });
}

// The help and the version answer on a terminal without a display, where the window system
// the player needs cannot start.
bool AsksForHelpOrVersion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-v" ||
            arg == "--version") {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QuietTerminal::Apply();
    if (AsksForHelpOrVersion(argc, argv)) {
        QCoreApplication terminal(argc, argv);
        NameProgram();
        QCommandLineParser options;
        DescribeOptions(options);
        options.process(terminal);
        return 0;
    }
    BrowserEnvironment::Prepare(::geteuid() == 0);
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // mpv reads and writes numbers in the C locale.
    std::setlocale(LC_NUMERIC, "C");
    NameProgram();

    QCommandLineParser options;
    DescribeOptions(options);
    options.process(app);
    const QString grab = QStringLiteral("grab");
    const QString quitAfter = QStringLiteral("quit-after");

    // The skin comes before any window; without it the program ends, showing none.
    COstvikApp startup;
    if (!startup.InitInstance()) {
        std::fprintf(stderr, "ostvik: %s\n", qPrintable(startup.ErrorText()));
        return 1;
    }

    MivexOptions engine;
    engine.noAudio = options.isSet(QStringLiteral("no-audio"));
    WebViewRendering::Choose();
    COstvikDlg window(engine);
    window.show();

    QStringList clips;
    for (const QString& clip : options.positionalArguments()) {
        clips.append(QFileInfo(clip).absoluteFilePath());
    }
    window.AddClips(clips);

    if (options.isSet(quitAfter)) {
        const QString grabPath = options.value(grab);
        QTimer::singleShot(options.value(quitAfter).toInt(), &app, [&window, grabPath] {
            if (!grabPath.isEmpty()) {
                QScreen* screen = window.screen();
                // The screen's picture is in device pixels; the window's place is not.
                const QPixmap screenPicture = screen->grabWindow(0);
                const qreal ratio = screenPicture.devicePixelRatio();
                const QRect frame = window.frameGeometry();
                const QPixmap picture = screenPicture.copy(
                    QRectF(QPointF(frame.topLeft()) * ratio, QSizeF(frame.size()) * ratio)
                        .toAlignedRect());
                picture.save(grabPath);
                std::printf("time %s\n", qPrintable(window.VideoView()->TimeLabel()->text()));
                std::printf("clip %s\n", qPrintable(window.GetCurrentFile()));
                // In device pixels, as another player's window would be sized to compare.
                const QSize video = window.VideoView()->VideoWindow()->size() * ratio;
                std::printf("video %dx%d\n", video.width(), video.height());
                std::fflush(stdout);
            }
            QApplication::quit();
        });
    }
    return app.exec();
}
