// Start-up's parts in-process: the temporary folder's order and the plain copy of the
// skin, written without following a planted link and replaced whole.
#include "app/COstvikApp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
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

// Sets or clears TEMP and TMP for one test and puts them back after it.
class Environment : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"TEMP", "TMP"}) {
            saved.append(qgetenv(name));
            had.append(qEnvironmentVariableIsSet(name));
            qunsetenv(name);
        }
    }
    void TearDown() override {
        const char* names[] = {"TEMP", "TMP"};
        for (int i = 0; i < 2; ++i) {
            if (had[i]) {
                qputenv(names[i], saved[i]);
            } else {
                qunsetenv(names[i]);
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

TEST_F(Environment, AProgramFolderThatCannotBeWrittenGivesWayToTheSystemTemporaryFolder) {
    const QString gone = program.filePath(QStringLiteral("not-there"));
    EXPECT_EQ(COstvikApp::TemporaryFolder(gone), QDir::tempPath());
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

TEST_F(PlainCopy, FailsWithTheCauseWhenEitherSideCannotBeReached) {
    EXPECT_FALSE(app.PrepareSkin(folder.filePath(QStringLiteral("absent.dat")), Target()));
    EXPECT_TRUE(app.ErrorText().contains("absent.dat")) << app.ErrorText().toStdString();
    EXPECT_FALSE(app.PrepareSkin(skinDat, folder.filePath(QStringLiteral("no/such/tmp.98457512"))));
    EXPECT_TRUE(app.ErrorText().startsWith("cannot write")) << app.ErrorText().toStdString();
    EXPECT_FALSE(QFileInfo::exists(Target()));
}

} // namespace
