// Every text the skin the build packs lets Qt or our panes draw stands out from the
// background it is drawn on by at least 4.5 : 1, the WCAG AA ratio for body text: the
// palette's text roles on their backgrounds, and the style sheet's and elements' text
// colours on every background the skin paints.
#include "skin/SkinManifest.h"
#include "skin/SkinSE.h"
#include "tests/support/ContrastRatio.h"

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QPalette>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace {

std::vector<QColor> ColoursIn(const QString& text, const QString& property) {
    std::vector<QColor> colours;
    const QRegularExpression declaration(
        QStringLiteral("(?:^|[;{\\s])%1\\s*:\\s*(#[0-9a-fA-F]{6}|rgb\\([^)]*\\))").arg(property));
    for (auto match = declaration.globalMatch(text); match.hasNext();) {
        QString value = match.next().captured(1);
        if (value.startsWith(QLatin1String("rgb("))) {
            const QStringList parts = value.mid(4, value.size() - 5).split(QLatin1Char(','));
            colours.emplace_back(parts.value(0).trimmed().toInt(), parts.value(1).trimmed().toInt(),
                                 parts.value(2).trimmed().toInt());
        } else {
            colours.emplace_back(value);
        }
    }
    return colours;
}

class SkinContrast : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SkinSE_LoadSkinResourceFromZIP(QStringLiteral(OSTVIK_SKIN_ZIP), QString()), 1);
    }
};

// The hand-computed ratio of a known pair checks the formula: white on black is 21 : 1,
// and #767676 on white just passes at 4.54 : 1.
TEST(Contrast, KnownPairs) {
    EXPECT_NEAR(ContrastRatio(Qt::white, Qt::black), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(QColor(0x76, 0x76, 0x76), Qt::white), 4.54, 0.01);
}

TEST_F(SkinContrast, EveryTextRoleOnItsBackground) {
    const QPalette palette = QApplication::palette();
    const std::pair<QPalette::ColorRole, QPalette::ColorRole> pairs[] = {
        {QPalette::WindowText, QPalette::Window},
        {QPalette::Text, QPalette::Base},
        {QPalette::Text, QPalette::AlternateBase},
        {QPalette::ButtonText, QPalette::Button},
        {QPalette::HighlightedText, QPalette::Highlight},
        {QPalette::ToolTipText, QPalette::ToolTipBase},
        {QPalette::PlaceholderText, QPalette::Base},
        {QPalette::Link, QPalette::Base},
        {QPalette::WindowText, QPalette::Button},
    };
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        for (const auto& [text, background] : pairs) {
            EXPECT_GE(ContrastRatio(palette.color(group, text), palette.color(group, background)),
                      4.5)
                << "group " << group << ", role " << text << " on role " << background << ": "
                << palette.color(group, text).name().toStdString() << " on "
                << palette.color(group, background).name().toStdString();
        }
    }
}

// The style sheet's text colour lies over every background the skin paints (its elements'
// colours, the style sheet's own backgrounds, the palette's that Qt fills menus and fields
// with); an element's own text colour over its own.
TEST_F(SkinContrast, TheStyleSheetsAndTheElementsTextOnEveryBackground) {
    QFile sheetFile(QStringLiteral(OSTVIK_SKIN_SOURCE "/style.qss"));
    ASSERT_TRUE(sheetFile.open(QIODevice::ReadOnly));
    const QString sheet = QString::fromUtf8(sheetFile.readAll());
    const QString widgetRule = sheet.mid(sheet.indexOf(QLatin1String("QWidget {")));
    const std::vector<QColor> text =
        ColoursIn(widgetRule.left(widgetRule.indexOf('}')), QStringLiteral("color"));
    ASSERT_EQ(text.size(), 1u);
    // The style sheet's backgrounds, but for the slider's parts, which carry no text.
    std::vector<QColor> backgrounds;
    for (const QString& rule : sheet.split(QLatin1Char('}'))) {
        if (!rule.contains(QLatin1String("QSlider::"))) {
            const std::vector<QColor> found = ColoursIn(rule, QStringLiteral("background"));
            backgrounds.insert(backgrounds.end(), found.begin(), found.end());
        }
    }
    // What Qt draws itself under that colour: menus, fields, item views, buttons, tips.
    const QPalette palette = QApplication::palette();
    for (const QPalette::ColorRole role :
         {QPalette::Window, QPalette::Base, QPalette::AlternateBase, QPalette::Button,
          QPalette::ToolTipBase}) {
        backgrounds.push_back(palette.color(QPalette::Active, role));
    }
    QFile manifestFile(QStringLiteral(OSTVIK_SKIN_SOURCE "/skin.json"));
    ASSERT_TRUE(manifestFile.open(QIODevice::ReadOnly));
    const std::optional<SkinManifest> manifest = SkinManifest::Parse(manifestFile.readAll());
    ASSERT_TRUE(manifest.has_value());
    const QHash<QString, SkinLook>& elements = manifest->m_elements;
    for (auto it = elements.begin(); it != elements.end(); ++it) {
        if (it->background.isValid()) {
            backgrounds.push_back(it->background);
        }
    }
    ASSERT_GE(backgrounds.size(), 8u);
    for (const QColor& background : backgrounds) {
        EXPECT_GE(ContrastRatio(text[0], background), 4.5)
            << text[0].name().toStdString() << " on " << background.name().toStdString();
    }
    for (auto it = elements.begin(); it != elements.end(); ++it) {
        // An element without a colour of its own lies on the video pane's.
        const QColor background =
            it->background.isValid() ? it->background : elements.value("videoview").background;
        for (const QColor& colour : ColoursIn(it->style, QStringLiteral("color"))) {
            EXPECT_GE(ContrastRatio(colour, background), 4.5)
                << it.key().toStdString() << ": " << colour.name().toStdString() << " on "
                << background.name().toStdString();
        }
    }
}

} // namespace
