// The five entry points on widgets, headless: loading, registering, layout and painted
// backgrounds, with the small skin made here and with the skin the build packs.
#include "ZipMaker.h"

#include "skin/SkinSE.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace {

class SkinEngine : public ::testing::Test {
protected:
    void TearDown() override { SkinSE_Unload(); }

    // Loads the archive bytes through a file, as start-up does.
    int Load(const QByteArray& zip) {
        const QString path = folder.filePath(QStringLiteral("skin.zip"));
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(zip);
        file.close();
        return SkinSE_LoadSkinResourceFromZIP(path, QString());
    }

    QTemporaryDir folder;
};

QImage DrawBack(QWidget* window, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    SkinSE_UI_DrawBack(window, painter, 0, 0, size.width(), size.height(), 255);
    return image;
}

TEST_F(SkinEngine, LoadReportsAMissingFileOrARefusedArchiveWithZero) {
    EXPECT_EQ(SkinSE_LoadSkinResourceFromZIP(folder.filePath("absent.zip"), QString()), 0);
    EXPECT_TRUE(SkinSE_LastError().contains("absent.zip"));
    // A device is no archive: refused before a byte of it is read.
    EXPECT_EQ(SkinSE_LoadSkinResourceFromZIP(QStringLiteral("/dev/zero"), QString()), 0);
    EXPECT_TRUE(SkinSE_LastError().contains("not a regular file"));
    EXPECT_EQ(Load("PK\x03\x04 but nothing after"), 0);
    EXPECT_FALSE(SkinSE_LastError().isEmpty());
    EXPECT_EQ(Load(MakeZip(MinimalSkin())), 1);
    EXPECT_TRUE(SkinSE_LastError().isEmpty());
}

TEST_F(SkinEngine, DrawBackPaintsTheColourThenTheImageStretchedOverIt) {
    ASSERT_EQ(Load(MakeZip(MinimalSkin())), 1);
    QWidget pane;
    SkinSE_SubclassWindow(&pane, QStringLiteral("pane"));
    // The image covers its right half in red over the element's blue-grey colour.
    const QImage image = DrawBack(&pane, {40, 20});
    EXPECT_EQ(QColor(image.pixel(5, 10)), QColor(0x20, 0x40, 0x60));
    EXPECT_EQ(QColor(image.pixel(35, 10)), QColor(255, 0, 0));

    // A window under no element is found by its object name.
    QWidget control;
    control.setObjectName(QStringLiteral("77"));
    EXPECT_EQ(QColor(DrawBack(&control, {8, 8}).pixel(4, 4)), QColor(0x0a, 0x0b, 0x0c));
}

TEST_F(SkinEngine, PngImagesAreDrawnAsWellAsSvgOnes) {
    QImage green(4, 4, QImage::Format_RGB32);
    green.fill(QColor(0, 255, 0));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(green.save(&buffer, "PNG"));
    ZipEntries skin = MinimalSkin();
    skin[0].second = R"({"elements": {"pane": {"image": "face.png"}}})";
    skin.emplace_back("face.png", png);
    ASSERT_EQ(Load(MakeZip(skin)), 1) << SkinSE_LastError().toStdString();
    QWidget pane;
    SkinSE_SubclassWindow(&pane, QStringLiteral("pane"));
    EXPECT_EQ(QColor(DrawBack(&pane, {40, 20}).pixel(20, 10)), QColor(0, 255, 0));
}

QByteArray Encoded(const char* format) {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::green);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// What the process writes on standard error while it lives: Qt's messages and libpng's own.
class StandardErrorCapture {
public:
    StandardErrorCapture() {
        std::fflush(stderr);
        m_saved = ::dup(2);
        m_file.open();
        ::dup2(m_file.handle(), 2);
    }
    ~StandardErrorCapture() { Finish(); }
    QByteArray Finish() {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, 2);
            ::close(m_saved);
            m_saved = -1;
        }
        m_file.seek(0);
        return m_file.readAll();
    }

private:
    QTemporaryFile m_file;
    int m_saved = -1;
};
// Only SVG and PNG reach the style sheet; anything else, or a damaged image, refuses the
// skin with one line and no warning of Qt's before it.
TEST_F(SkinEngine, AnImageItCannotShowRefusesTheSkinWithOneLineAndNothingElse) {
    const std::pair<const char*, QByteArray> images[] = {
        {"face.svg", "<svg this is not"},
        {"face.png", Encoded("PNG").left(60)},
        {"face.jpg", Encoded("JPG")},
        {"face.bmp", Encoded("BMP")},
    };
    for (const auto& [image, bytes] : images) {
        const QString name = QLatin1String(image);
        ZipEntries skin = MinimalSkin();
        skin[0].second =
            QStringLiteral(R"({"elements": {"pane": {"image": "%1"}}})").arg(name).toUtf8();
        std::erase_if(skin, [&](const auto& entry) { return entry.first == name; });
        skin.emplace_back(name, bytes);
        const QByteArray zip = MakeZip(skin);
        StandardErrorCapture capture;
        EXPECT_EQ(Load(zip), 0) << image;
        const QByteArray printed = capture.Finish();
        EXPECT_TRUE(SkinSE_LastError().contains(name)) << SkinSE_LastError().toStdString();
        EXPECT_FALSE(SkinSE_LastError().contains('\n'));
        EXPECT_TRUE(printed.isEmpty()) << image << ": " << printed.toStdString();
    }
}

// Images the manifest's elements or its style sheet name are written out, nothing else.
TEST_F(SkinEngine, WritesOutOnlyTheImagesItNames) {
    ZipEntries skin = MinimalSkin();
    skin[1].second = "QLabel { image: url(mark.svg); }";
    const QByteArray svg = skin[2].second;
    skin.emplace_back("mark.svg", svg);
    skin.emplace_back("unused.svg", svg);
    skin.emplace_back("more/unused.png", Encoded("PNG"));
    ASSERT_EQ(Load(MakeZip(skin)), 1) << SkinSE_LastError().toStdString();
    const QString sheet = qApp->styleSheet();
    const qsizetype start = sheet.indexOf(QLatin1String("url(\"")) + 5;
    const QString written = QFileInfo(sheet.mid(start, sheet.indexOf('"', start) - start)).path();
    EXPECT_EQ(QDir(written).entryList(QDir::Files | QDir::Hidden).size(), 2) << sheet.toStdString();
}

TEST_F(SkinEngine, LayoutPlacesRegisteredChildrenByTheRulesOfTheParentsElement) {
    ASSERT_EQ(Load(MakeZip(MinimalSkin())), 1);
    QWidget pane;
    pane.resize(200, 100);
    SkinSE_SubclassWindow(&pane, QStringLiteral("pane"));
    auto* child = new QWidget(&pane);
    auto* unregistered = new QWidget(&pane);
    unregistered->setGeometry(1, 2, 3, 4);
    SkinSE_SubclassWindow(child, QStringLiteral("child"));
    SkinSE_SetLayoutMainFrame(&pane);
    // Left 0.5 * 200 + 4 = 104, top 10, right 200 - 4 = 196, bottom 100 - 10 = 90.
    EXPECT_EQ(child->geometry(), QRect(104, 10, 92, 80));
    EXPECT_EQ(unregistered->geometry(), QRect(1, 2, 3, 4));
    pane.resize(400, 300);
    SkinSE_SetLayoutMainFrame(&pane);
    EXPECT_EQ(child->geometry(), QRect(204, 10, 192, 280));
}

TEST_F(SkinEngine, TheBuiltSkinLaysOutTheVideoPaneTransportRow) {
    ASSERT_EQ(SkinSE_LoadSkinResourceFromZIP(QStringLiteral(OSTVIK_SKIN_ZIP), QString()), 1)
        << SkinSE_LastError().toStdString();
    QWidget pane;
    pane.resize(800, 600);
    SkinSE_SubclassWindow(&pane, QStringLiteral("videoview"));
    auto* progress = new QWidget(&pane);
    SkinSE_SubclassWindow(progress, QStringLiteral("slider.progress"));
    auto* play = new QPushButton(&pane);
    SkinSE_SubclassWindow(play, QStringLiteral("control.btn.play"));
    SkinSE_SetLayoutMainFrame(&pane);
    // Progress across the pane 8 px in from each side, 66 px above the bottom, 18 high.
    EXPECT_EQ(progress->geometry(), QRect(8, 534, 784, 18));
    // The play button left of the centre, clear of the speed slider on the right:
    // 0.42 * 800 = 336, left 336 - 4, right 336 + 48.
    EXPECT_EQ(play->geometry(), QRect(332, 564, 52, 34));
}

TEST_F(SkinEngine, ALaterRegistrationChangesTheButtonsFace) {
    ASSERT_EQ(SkinSE_LoadSkinResourceFromZIP(QStringLiteral(OSTVIK_SKIN_ZIP), QString()), 1);
    QPushButton button;
    SkinSE_SubclassWindow(&button, QStringLiteral("control.btn.play"));
    const QImage play = button.icon().pixmap(24, 24).toImage();
    ASSERT_FALSE(play.isNull());
    SkinSE_SubclassWindow(&button, QStringLiteral("control.btn.pause"));
    const QImage pause = button.icon().pixmap(24, 24).toImage();
    EXPECT_EQ(SkinElementOf(&button), "control.btn.pause");
    EXPECT_NE(play, pause);
    // The play face is a triangle pointing right: lit at its left middle, dark at its tip's
    // corners. The pause face is two bars with a gap in the middle.
    EXPECT_GT(qAlpha(play.pixel(10, 12)), 128);
    EXPECT_EQ(qAlpha(pause.pixel(12, 12)), 0);
    EXPECT_GT(qAlpha(pause.pixel(8, 12)), 128);
}

TEST_F(SkinEngine, ACollapsedLayoutHidesThePlaylistAndTheFullOneShowsItAgain) {
    ASSERT_EQ(SkinSE_LoadSkinResourceFromZIP(QStringLiteral(OSTVIK_SKIN_ZIP), QString()), 1);
    QWidget frame;
    frame.resize(1366, 768);
    SkinSE_SubclassWindow(&frame, QStringLiteral("mainFrame"));
    auto* video = new QWidget(&frame);
    auto* playlist = new QWidget(&frame);
    auto* hiddenByOwner = new QWidget(&frame);
    SkinSE_SubclassWindow(video, QStringLiteral("videoview"));
    SkinSE_SubclassWindow(playlist, QStringLiteral("playlist"));
    SkinSE_SubclassWindow(hiddenByOwner, QStringLiteral("gsenses"));
    hiddenByOwner->hide();
    frame.show();
    SkinSE_SetLayoutMainFrame(&frame);
    EXPECT_FALSE(playlist->isHidden());
    // The video pane dominant, the playlist under it: 0.64 * 1366 - 4 = 870.24 -> 870 wide,
    // from under the 32-pixel title band to 134 above the bottom.
    EXPECT_EQ(video->geometry(), QRect(0, 32, 870, 768 - 134 - 32));

    frame.setProperty("skinLayoutVariant", QStringLiteral("playlist-collapsed"));
    SkinSE_SetLayoutMainFrame(&frame);
    EXPECT_TRUE(playlist->isHidden());
    // The video takes the playlist's place down to the bottom.
    EXPECT_EQ(video->geometry(), QRect(0, 32, 870, 768 - 32));

    frame.setProperty("skinLayoutVariant", QVariant());
    SkinSE_SetLayoutMainFrame(&frame);
    EXPECT_FALSE(playlist->isHidden());
    // A window its owner hid stays hidden through every layout.
    EXPECT_TRUE(hiddenByOwner->isHidden());
}

TEST_F(SkinEngine, TheBuiltSkinPaintsTheChartBackgroundAndStylesRegisteredPanes) {
    ASSERT_EQ(SkinSE_LoadSkinResourceFromZIP(QStringLiteral(OSTVIK_SKIN_ZIP), QString()), 1);
    QWidget chart;
    chart.setObjectName(QStringLiteral("1013"));
    EXPECT_EQ(QColor(DrawBack(&chart, {30, 30}).pixel(15, 15)), QColor(20, 20, 24));

    QWidget pane;
    pane.resize(50, 50);
    SkinSE_SubclassWindow(&pane, QStringLiteral("gsenses"));
    const QImage shown = pane.grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(25, 25)), QColor(0x16, 0x17, 0x1b));
}

} // namespace
