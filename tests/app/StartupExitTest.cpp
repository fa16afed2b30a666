// The real program's start-up: each failure ends it before any window with status 1 and
// one line on standard error naming the cause; a good start writes the plain skin copy
// into TEMP, leaves the terminal free of the libraries' reports and a normal close exits 0.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status = -1;
    QString err;
};

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::copy(QStringLiteral(OSTVIK_PLAYER), Program()));
        temp.setPath(root.filePath(QStringLiteral("temp")));
        QDir(root.path()).mkdir(QStringLiteral("temp"));
        // A desktop session has a runtime folder; without one Qt itself warns on stderr.
        QDir(root.path()).mkdir(QStringLiteral("runtime"));
        QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString Program() const { return root.filePath(QStringLiteral("ostvik")); }
    QString SkinDat() const { return root.filePath(QStringLiteral("Skin.dat")); }

    Outcome Run(const QString& tempFolder, const QStringList& wrapper = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TEMP"), tempFolder);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath(QStringLiteral("runtime")));
        if (wrapper.isEmpty()) {
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        }
        process.setProcessEnvironment(env);
        QStringList arguments = wrapper;
        arguments << Program() << QStringLiteral("--no-audio") << QStringLiteral("--quit-after")
                  << QStringLiteral("1500");
        process.start(arguments.takeFirst(), arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    QTemporaryDir root;
    QDir temp;
};

// Exactly one line, starting with the program's name.
void ExpectOneLine(const QString& err, const char* cause) {
    EXPECT_TRUE(err.startsWith("ostvik: ")) << err.toStdString();
    EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
    EXPECT_TRUE(err.contains(QLatin1String(cause))) << err.toStdString();
}

TEST_F(Startup, MissingSkinDatEndsWithStatusOneAndNamesIt) {
    const Outcome outcome = Run(temp.path());
    EXPECT_EQ(outcome.status, 1);
    ExpectOneLine(outcome.err, "Skin.dat");
    EXPECT_FALSE(temp.exists(QStringLiteral("tmp.98457512")));
}

TEST_F(Startup, UnreadableSkinDatEndsWithStatusOne) {
    // A folder under the name cannot be read as a file, even by root.
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("Skin.dat")));
    const Outcome outcome = Run(temp.path());
    EXPECT_EQ(outcome.status, 1);
    ExpectOneLine(outcome.err, "cannot read the skin archive");
}

TEST_F(Startup, AnArchiveTheEngineRejectsEndsWithStatusOne) {
    QFile dat(SkinDat());
    ASSERT_TRUE(dat.open(QIODevice::WriteOnly));
    dat.write(QByteArray(500, 'x'));
    dat.close();
    const Outcome outcome = Run(temp.path());
    EXPECT_EQ(outcome.status, 1);
    ExpectOneLine(outcome.err, "rejected");
}

TEST_F(Startup, AnUnwritableTemporaryFolderEndsWithStatusOne) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(OSTVIK_SKIN_DAT), SkinDat()));
    const Outcome outcome = Run(root.filePath(QStringLiteral("no/such/folder")));
    EXPECT_EQ(outcome.status, 1);
    ExpectOneLine(outcome.err, "cannot write");
}

TEST_F(Startup, AGoodStartWritesThePlainSkinIntoTempAndExitsZero) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(OSTVIK_SKIN_DAT), SkinDat()));
    const Outcome outcome =
        Run(temp.path(), {QStringLiteral(OSTVIK_XVFB_RUN), QStringLiteral("-a")});
    EXPECT_EQ(outcome.status, 0) << outcome.err.toStdString();
    // Nothing of the web engine's start-up report or of the video engine's hardware probe.
    EXPECT_FALSE(outcome.err.contains("qt.webenginecontext")) << outcome.err.toStdString();
    EXPECT_FALSE(outcome.err.contains("libcuda")) << outcome.err.toStdString();
    QFile plain(temp.filePath(QStringLiteral("tmp.98457512")));
    QFile expected(QStringLiteral(OSTVIK_SKIN_ZIP));
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(plain.readAll(), expected.readAll());
}

} // namespace
