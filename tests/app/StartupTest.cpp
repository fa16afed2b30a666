// Start-up's parts in-process: the temporary folder's order and the plain copy of the
// skin, written without following a planted link and replaced whole.
#include "app/COstvikApp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Clears TEMP, TMP and the XDG folders for one test and puts them back after it.
class Environment : public ::testing::Test {
protected:
    static constexpr const char* kNames[] = {"TEMP", "TMP", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME"};

    void SetUp() override {
        for (const char* name : kNames) {
            saved.append(qgetenv(name));
            had.append(qEnvironmentVariableIsSet(name));
            qunsetenv(name);
        }
    }
    void TearDown() override {
        for (int i = 0; i < saved.size(); ++i) {
            if (had[i]) {
                qputenv(kNames[i], saved[i]);
            } else {
                qunsetenv(kNames[i]);
            }
        }
    }

    QList<QByteArray> saved;
    QList<bool> had;
    QTemporaryDir program;
};

TEST_F(Environment, TemporaryFolderIsTempThenTmpThenTheProgramFolder) {
    qputenv("TEMP", "/some/temp");
    qputenv("TMP", "/some/tmp");
    EXPECT_EQ(COstvikApp::TemporaryFolder(program.path()), "/some/temp");
    qunsetenv("TEMP");
    EXPECT_EQ(COstvikApp::TemporaryFolder(program.path()), "/some/tmp");
    // An empty variable is no folder.
    qputenv("TEMP", "");
    EXPECT_EQ(COstvikApp::TemporaryFolder(program.path()), "/some/tmp");
    qunsetenv("TMP");
    EXPECT_EQ(COstvikApp::TemporaryFolder(program.path()), program.path());
}

// The shared /tmp under a fixed name would let the first user lock every other one out.
TEST_F(Environment, AProgramFolderThatCannotBeWrittenGivesWayToAFolderOfTheUsersOwn) {
    const QString readOnlyProgram = program.filePath(QStringLiteral("not-there"));
    QTemporaryDir home;
    const QString runtime = home.filePath(QStringLiteral("runtime"));
    ASSERT_EQ(::mkdir(QFile::encodeName(runtime).constData(), 0700), 0);
    const QString open = home.filePath(QStringLiteral("open"));
    ASSERT_EQ(::mkdir(QFile::encodeName(open).constData(), 0777), 0);
    ::chmod(QFile::encodeName(open).constData(), 0777);
    const QString cache = home.filePath(QStringLiteral("cache"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
    const QString own = cache + QStringLiteral("/ostvik");
    const struct {
        std::optional<QString> runtimeVariable; // unset when empty
        QString expected;
    } rows[] = {
        {std::nullopt, own},
        {QString(), own},
        {QStringLiteral("/tmp"), own},         // shared, others write there
        {QStringLiteral("relative/run"), own}, // not a place at all
        {open, own},                           // open to others
        {runtime, runtime},
    };
    for (const auto& row : rows) {
        if (row.runtimeVariable) {
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(*row.runtimeVariable));
        } else {
            qunsetenv("XDG_RUNTIME_DIR");
        }
        EXPECT_EQ(COstvikApp::TemporaryFolder(readOnlyProgram), row.expected)
            << row.runtimeVariable.value_or(QStringLiteral("unset")).toStdString();
    }
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(own).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(SkinArchiveSearch, BesideTheProgramFirstThenTheInstalledDataFolder) {
    const QStringList candidates = COstvikApp::SkinArchiveCandidates(QStringLiteral("/opt/ov/bin"));
    ASSERT_GE(candidates.size(), 2);
    EXPECT_EQ(candidates[0], "/opt/ov/bin/Skin.dat");
    EXPECT_EQ(candidates[1], "/opt/ov/share/ostvik/Skin.dat");
}

class PlainCopy : public ::testing::Test {
protected:
    QString Target() const { return folder.filePath(QStringLiteral("tmp.98457512")); }

    QTemporaryDir folder;
    COstvikApp app;
    const QString skinDat = QStringLiteral(OSTVIK_SKIN_DAT);
};

TEST_F(PlainCopy, IsTheDescrambledArchive) {
    ASSERT_TRUE(app.PrepareSkin(skinDat, Target())) << app.ErrorText().toStdString();
    EXPECT_EQ(ReadAll(Target()), ReadAll(QStringLiteral(OSTVIK_SKIN_ZIP)));
    // Nothing else is left in the folder: the private file was renamed into place.
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"tmp.98457512"});
}

TEST_F(PlainCopy, ReplacesAPlantedLinkAndLeavesItsTargetAlone) {
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath(QStringLiteral("victim"));
    WriteAll(victim, "precious");
    ASSERT_EQ(
        ::symlink(QFile::encodeName(victim).constData(), QFile::encodeName(Target()).constData()),
        0);

    ASSERT_TRUE(app.PrepareSkin(skinDat, Target())) << app.ErrorText().toStdString();
    EXPECT_EQ(ReadAll(victim), "precious");
    EXPECT_FALSE(QFileInfo(Target()).isSymLink());
    EXPECT_EQ(ReadAll(Target()), ReadAll(QStringLiteral(OSTVIK_SKIN_ZIP)));
}

TEST_F(PlainCopy, ReplacesTheOldFileWholeRatherThanRewritingIt) {
    WriteAll(Target(), "old copy");
    // A second name for the old file: it keeps the old bytes if the new file is a new inode.
    const QString second = folder.filePath(QStringLiteral("second-name"));
    ASSERT_EQ(
        ::link(QFile::encodeName(Target()).constData(), QFile::encodeName(second).constData()), 0);
    ASSERT_TRUE(app.PrepareSkin(skinDat, Target()));
    EXPECT_EQ(ReadAll(second), "old copy");
    EXPECT_EQ(ReadAll(Target()), ReadAll(QStringLiteral(OSTVIK_SKIN_ZIP)));
}

// A FIFO would hold the open until a writer came and /dev/zero would fill memory: each is
// refused at once, as is a folder or a file past the 64 MiB bound.
TEST_F(PlainCopy, TheArchiveMustBeARegularFileOfBoundedSize) {
    const QString fifo = folder.filePath(QStringLiteral("fifo.dat"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = folder.filePath(QStringLiteral("zero.dat"));
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(zero).constData()), 0);
    const QString huge = folder.filePath(QStringLiteral("huge.dat"));
    ASSERT_TRUE(QFile(huge).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::resize(huge, 64 * 1024 * 1024 + 1)); // sparse: costs no disk
    for (const QString& archive : {fifo, zero, folder.path(), huge}) {
        EXPECT_FALSE(app.PrepareSkin(archive, Target())) << archive.toStdString();
        EXPECT_TRUE(app.ErrorText().startsWith("cannot read the skin archive " + archive))
            << app.ErrorText().toStdString();
        EXPECT_FALSE(QFileInfo::exists(Target()));
    }
}

TEST_F(PlainCopy, FailsWithTheCauseWhenEitherSideCannotBeReached) {
    EXPECT_FALSE(app.PrepareSkin(folder.filePath(QStringLiteral("absent.dat")), Target()));
    EXPECT_TRUE(app.ErrorText().contains("absent.dat")) << app.ErrorText().toStdString();
    EXPECT_FALSE(app.PrepareSkin(skinDat, folder.filePath(QStringLiteral("no/such/tmp.98457512"))));
    EXPECT_TRUE(app.ErrorText().startsWith("cannot write")) << app.ErrorText().toStdString();
    EXPECT_FALSE(QFileInfo::exists(Target()));
}

} // namespace
