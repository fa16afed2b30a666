#include "ExcerptTestSupport.h"

#include "tests/support/Pump.h"
#include "tests/support/Shell.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "evidence_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}

} // namespace

JobEnd RunExcerpt(const ExcerptRequest& request,
                  const std::function<void(ExcerptJob&)>& onProgress) {
    EnsureApplication();
    ExcerptJob job;
    JobEnd end;
    bool done = false;
    QObject::connect(&job, &ExcerptJob::finished, [&](bool ok, const QString& why) {
        end.ok = ok;
        end.why = why.toStdString();
        done = true;
    });
    if (onProgress) {
        QObject::connect(&job, &ExcerptJob::progress, [&] { onProgress(job); });
    }
    end.started = job.Start(request);
    if (!end.started) {
        end.why = job.Error().toStdString();
        return end;
    }
    testsupport::PumpUntil([&] { return done; }, std::chrono::minutes(2));
    return end;
}

double ProbeDuration(const std::string& path) {
    const ToolRun run =
        Shell("ffprobe -v error -show_entries format=duration -of csv=p=0 " + Quoted(path));
    return run.status == 0 && !run.out.empty() ? std::stod(run.out) : -1;
}

namespace {

// The first frame's bytes in `format` (gray, rgb24).
std::string FirstFrame(const std::string& path, const std::string& format, double at = 0) {
    return Shell("ffmpeg -v error -nostdin -ss " + std::to_string(at) + " -i " + Quoted(path) +
                 " -frames:v 1 -f rawvideo -pix_fmt " + format + " -")
        .out;
}

} // namespace

std::array<int, 3> FirstFramePixel(const std::string& path, int width, int height, int x, int y,
                                   double at) {
    const std::string frame = FirstFrame(path, "rgb24", at);
    if (frame.size() != static_cast<size_t>(width) * height * 3) {
        return {-1, -1, -1};
    }
    const size_t pixel = (static_cast<size_t>(y) * width + x) * 3;
    return {static_cast<unsigned char>(frame[pixel]), static_cast<unsigned char>(frame[pixel + 1]),
            static_cast<unsigned char>(frame[pixel + 2])};
}

int FirstFrameCode(const std::string& path, int width, int height) {
    const std::string frame = FirstFrame(path, "gray");
    if (frame.size() != static_cast<size_t>(width) * height) {
        return -1;
    }
    const int side = std::max(8, width / 24);
    int code = 0;
    for (int bit = 0; bit < 12; ++bit) {
        const auto grey =
            static_cast<unsigned char>(frame[(side / 2) * width + bit * side + side / 2]);
        code |= (grey > 128 ? 1 : 0) << bit;
    }
    return code;
}

std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
