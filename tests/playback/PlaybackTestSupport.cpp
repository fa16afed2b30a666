#include "PlaybackTestSupport.h"

#include "tests/support/ClipMaker.h"
#include "tests/support/Pump.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <memory>

namespace playtest {
namespace {

QTemporaryDir* g_clips = nullptr;

// Cue texts of cues.MP4: the same sentence twice in a row, two lines in one cue, and an
// ordinary subtitle that carries no data.
constexpr char kCues[] = "1\n00:00:00,000 --> 00:00:01,000\n$GPRMC,A*00\n\n"
                         "2\n00:00:01,000 --> 00:00:02,000\n$GPRMC,A*00\n\n"
                         "3\n00:00:02,000 --> 00:00:03,000\nT:2000 first\nT:2500 second\n\n"
                         "4\n00:00:03,000 --> 00:00:04,000\nHello there\n";

std::string PathIn(const QTemporaryDir& dir, const char* name) {
    return QFile::encodeName(dir.filePath(QString::fromUtf8(name))).toStdString();
}

void Make(const QTemporaryDir& dir, const char* name, const std::string& options) {
    const ToolRun made = MakeClip(PathIn(dir, name), options);
    ASSERT_EQ(made.status, 0) << name << "\n" << made.err;
}

void MakeClips(const QTemporaryDir& dir) {
    ASSERT_TRUE(dir.isValid());
    Make(dir, "data.MP4", "--seconds 4 --data-subtitles --sidecar --no-embedded");
    Make(dir, "plain.MP4", "--seconds 3 --no-embedded");

    QFile cues(dir.filePath(QStringLiteral("cues.srt")));
    ASSERT_TRUE(cues.open(QIODevice::WriteOnly));
    cues.write(kCues);
    cues.close();
    ASSERT_EQ(Run(QStringLiteral("ffmpeg"),
                  {"-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                   "testsrc2=size=160x120:rate=10:duration=4", "-i", cues.fileName(), "-map", "0:v",
                   "-map", "1:s", "-c:v", "libx264", "-c:s", "mov_text",
                   dir.filePath(QStringLiteral("cues.MP4"))}),
              0);

    QFile notes(dir.filePath(QStringLiteral("notes.txt")));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("Shopping list\nmilk\nbread\n");
}

// Each test runs in a process of its own and most use no clip: they are made at the first
// test that asks for one, not for every process.
const QTemporaryDir& Clips() {
    if (g_clips == nullptr) {
        g_clips = new QTemporaryDir;
        MakeClips(*g_clips);
    }
    return *g_clips;
}

class PlaybackEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty()
                                       ? QByteArray("offscreen")
                                       : qgetenv("QT_QPA_PLATFORM"));
        QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        static int argc = 1;
        static char name[] = "playback_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
        // mpv parses numbers with the C library and needs the C decimal point.
        std::setlocale(LC_NUMERIC, "C");
    }

    void TearDown() override {
        delete g_clips;
        g_clips = nullptr;
        m_app.reset();
    }

private:
    std::unique_ptr<QApplication> m_app;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new PlaybackEnvironment);

} // namespace

QString ClipDir() {
    return Clips().path();
}

std::string Clip(const char* name) {
    return PathIn(Clips(), name);
}

int Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return process.exitCode();
}

PlayThread::PlayThread() {
    m_thread = std::thread([this] {
        m_playResult = mivex_play(0);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.emplace_back("started");
        }
        m_started = true;
        mivex_wait_for_completion();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.emplace_back("ended");
        }
        m_ended = true;
    });
}

PlayThread::~PlayThread() {
    if (m_thread.joinable()) {
        // A test that failed early must not leave a thread waiting on a clip.
        mivex_stop();
        if (!Finish()) {
            mivex_close();
            Finish();
        }
    }
}

std::vector<std::string> PlayThread::Events() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

bool PlayThread::Finish(std::chrono::milliseconds timeout) {
    const bool ended = testsupport::PumpUntil([this] { return m_ended.load(); }, timeout);
    if (ended && m_thread.joinable()) {
        m_thread.join();
    }
    return ended;
}

int RecordLine(const char* line, int length, void* context) {
    auto* log = static_cast<LineLog*>(context);
    EXPECT_EQ(static_cast<size_t>(length), std::strlen(line));
    log->lines.emplace_back(line, static_cast<size_t>(length));
    log->allOnUiThread = log->allOnUiThread && QThread::currentThread() == qApp->thread();
    return 0;
}

} // namespace playtest
