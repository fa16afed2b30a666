#include "skin/SkinManifest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace {

bool Fail(QString* error, const QString& text) {
    if (error != nullptr) {
        *error = text;
    }
    return false;
}

bool ReadString(const QJsonObject& object, const char* key, QString& out) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined()) {
        return true;
    }
    if (!value.isString()) {
        return false;
    }
    out = value.toString();
    return true;
}

// Fractions outside a few parent sizes and pixels outside a large screen are mistakes, and
// would overflow the integer geometry they turn into.
bool ReadEdge(const QJsonObject& rule, const char* key, SkinEdge& edge) {
    const QJsonArray pair = rule.value(QLatin1String(key)).toArray();
    if (pair.size() != 2 || !pair[0].isDouble() || !pair[1].isDouble()) {
        return false;
    }
    const double fraction = pair[0].toDouble();
    const double pixels = pair[1].toDouble();
    if (!(std::fabs(fraction) <= 4.0) || !(std::fabs(pixels) <= 100000.0) ||
        pixels != std::trunc(pixels)) {
        return false;
    }
    edge = {fraction, static_cast<int>(pixels)};
    return true;
}

bool ReadLook(const QString& name, const QJsonValue& value, SkinLook& look, QString* error) {
    if (!value.isObject()) {
        return Fail(error, QStringLiteral("element %1 is not an object").arg(name));
    }
    const QJsonObject object = value.toObject();
    QString colour;
    if (!ReadString(object, "background", colour) || !ReadString(object, "image", look.image) ||
        !ReadString(object, "icon", look.icon) || !ReadString(object, "style", look.style)) {
        return Fail(error, QStringLiteral("element %1 has a value that is not text").arg(name));
    }
    if (!colour.isEmpty()) {
        look.background = QColor::fromString(colour);
        if (!look.background.isValid()) {
            return Fail(error, QStringLiteral("element %1 has no colour %2").arg(name, colour));
        }
    }
    // The style lands inside a generated rule; a brace would end that rule early.
    if (look.style.contains(QLatin1Char('{')) || look.style.contains(QLatin1Char('}'))) {
        return Fail(error, QStringLiteral("element %1 has braces in its style").arg(name));
    }
    return true;
}

bool ReadRules(const QString& parent, const QJsonValue& value, QHash<QString, SkinRule>& rules,
               QString* error) {
    if (!value.isObject()) {
        return Fail(error, QStringLiteral("layout %1 is not an object").arg(parent));
    }
    const QJsonObject children = value.toObject();
    for (auto it = children.begin(); it != children.end(); ++it) {
        const QJsonObject object = it.value().toObject();
        SkinRule rule;
        if (!ReadEdge(object, "left", rule.left) || !ReadEdge(object, "top", rule.top) ||
            !ReadEdge(object, "right", rule.right) || !ReadEdge(object, "bottom", rule.bottom)) {
            return Fail(error, QStringLiteral("layout %1: rule for %2 needs left, top, right and "
                                              "bottom as [fraction, pixels]")
                                   .arg(parent, it.key()));
        }
        rule.hidden = object.value(QLatin1String("hidden")).toBool(false);
        rules.insert(it.key(), rule);
    }
    return true;
}

// The roles a skin may colour, by the names skin.json gives them.
const std::pair<const char*, QPalette::ColorRole> kPaletteRoles[] = {
    {"window", QPalette::Window},
    {"windowText", QPalette::WindowText},
    {"base", QPalette::Base},
    {"alternateBase", QPalette::AlternateBase},
    {"text", QPalette::Text},
    {"button", QPalette::Button},
    {"buttonText", QPalette::ButtonText},
    {"brightText", QPalette::BrightText},
    {"highlight", QPalette::Highlight},
    {"highlightedText", QPalette::HighlightedText},
    {"toolTipBase", QPalette::ToolTipBase},
    {"toolTipText", QPalette::ToolTipText},
    {"placeholderText", QPalette::PlaceholderText},
    {"link", QPalette::Link},
    {"light", QPalette::Light},
    {"midlight", QPalette::Midlight},
    {"mid", QPalette::Mid},
    {"dark", QPalette::Dark},
    {"shadow", QPalette::Shadow},
};

bool ReadPalette(const QJsonValue& value, QHash<QPalette::ColorRole, QColor>& palette,
                 QString* error) {
    if (value.isUndefined()) {
        return true;
    }
    if (!value.isObject()) {
        return Fail(error, QStringLiteral("palette is not an object"));
    }
    const QJsonObject roles = value.toObject();
    for (auto it = roles.begin(); it != roles.end(); ++it) {
        const auto* role = std::find_if(std::begin(kPaletteRoles), std::end(kPaletteRoles),
                                        [&](const auto& known) { return it.key() == known.first; });
        if (role == std::end(kPaletteRoles)) {
            return Fail(error, QStringLiteral("palette has no role %1").arg(it.key()));
        }
        const QColor colour(it.value().toString());
        if (!colour.isValid()) {
            return Fail(error, QStringLiteral("palette role %1 has no colour %2")
                                   .arg(it.key(), it.value().toString()));
        }
        palette.insert(role->second, colour);
    }
    return true;
}

} // namespace

std::optional<SkinManifest> SkinManifest::Parse(const QByteArray& json, QString* error) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        Fail(error, QStringLiteral("%1 is not a JSON object").arg(QLatin1String(kFileName)));
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    SkinManifest manifest;
    if (!ReadString(root, "style", manifest.m_styleSheet)) {
        Fail(error, QStringLiteral("style is not a file name"));
        return std::nullopt;
    }
    const QJsonObject elements = root.value(QLatin1String("elements")).toObject();
    for (auto it = elements.begin(); it != elements.end(); ++it) {
        SkinLook look;
        if (!ReadLook(it.key(), it.value(), look, error)) {
            return std::nullopt;
        }
        manifest.m_elements.insert(it.key(), look);
    }
    if (!ReadPalette(root.value(QLatin1String("palette")), manifest.m_palette, error)) {
        return std::nullopt;
    }
    const QJsonObject layouts = root.value(QLatin1String("layouts")).toObject();
    for (auto it = layouts.begin(); it != layouts.end(); ++it) {
        QHash<QString, SkinRule> rules;
        if (!ReadRules(it.key(), it.value(), rules, error)) {
            return std::nullopt;
        }
        manifest.m_layouts.insert(it.key(), rules);
    }
    return manifest;
}

QStringList SkinManifest::FilesNamed() const {
    QStringList files;
    if (!m_styleSheet.isEmpty()) {
        files.append(m_styleSheet);
    }
    for (const SkinLook& look : m_elements) {
        for (const QString* name : {&look.image, &look.icon}) {
            if (!name->isEmpty() && !files.contains(*name)) {
                files.append(*name);
            }
        }
    }
    return files;
}
