// The skin archive's table of contents, skin.json: for each element its look (a
// background colour and/or image, an icon for a button, extra style declarations) and,
// for each window that lays out children, a rule per child element. Names of images and
// of the style sheet refer to files in the archive.
//
//   { "style": "style.qss",
//     "elements": { "gsenses": { "background": "#18191d" },
//                   "#1023": { "image": "dial.svg" },
//                   "control.btn.play": { "icon": "play.svg", "style": "border: none;" } },
//     "layouts": { "mainFrame": { "videoview": { "left": [0, 0], "top": [0, 0],
//                                                "right": [0.66, 0], "bottom": [1, 0] } } } }
//
// A layout edge is [fraction of the parent, pixels]. "#<id>" names a control that is not
// registered by element (the chart and the dial) by its control id. "palette" gives the
// colours of the application's palette by role ("window", "windowText", "base", "text",
// "button", "buttonText", "highlight", "highlightedText", "toolTipBase", "toolTipText",
// "placeholderText", ...), so what Qt draws itself (menus, fields, item views, tool tips)
// matches the skin's backgrounds instead of keeping the light default under its light text.
#pragma once

#include "skin/SkinRule.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QPalette>
#include <QString>
#include <QStringList>

#include <optional>

struct SkinLook {
    QColor background; // invalid when the element has no colour
    QString image;     // drawn over the colour, stretched to the window
    QString icon;      // a button's face
    QString style;     // style sheet declarations for the element
};

class SkinManifest {
public:
    static constexpr const char* kFileName = "skin.json";

    // The manifest in the JSON text, or nothing (with the reason) when it is malformed.
    static std::optional<SkinManifest> Parse(const QByteArray& json, QString* error = nullptr);

    // Every archive file the manifest names, the style sheet included.
    QStringList FilesNamed() const;

    QString m_styleSheet;
    QHash<QString, SkinLook> m_elements;
    QHash<QString, QHash<QString, SkinRule>> m_layouts;
    QHash<QPalette::ColorRole, QColor> m_palette;
};
