// A loaded skin ready to draw with: the checked archive content, its images decoded once,
// and the application style sheet built from the archive's sheet and the elements' looks.
// The images the manifest's elements and its style sheet name are also written to a private
// temporary folder, because style sheets and icons take images by file name; the folder
// goes when the skin does. Other files of the archive are never written out.
#pragma once

#include "skin/SkinContent.h"

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class QPainter;
class QRect;
class QSvgRenderer;

class CSkin {
public:
    // The skin in the archive bytes, or null with the reason when the archive is refused
    // or an image it names is not an SVG or PNG image that can be decoded.
    static std::unique_ptr<CSkin> FromArchive(const QByteArray& zip, QString* error = nullptr);
    ~CSkin();

    const SkinManifest& Manifest() const { return m_content.Manifest(); }
    const SkinLook* Look(const QString& element) const;
    const SkinRule* Rule(const QString& parentLayout, const QString& child) const;

    // The whole application style sheet.
    const QString& StyleSheet() const { return m_styleSheet; }
    // A button face for the element; null when the skin gives none.
    QIcon Icon(const QString& element) const;
    // Fills the rectangle with the element's colour, then its image stretched over it.
    // False when the skin has no look for the element.
    bool DrawBack(QPainter& painter, const QRect& rect, const QString& element) const;

private:
    explicit CSkin(SkinContent content);
    QStringList ImagesNamed() const;
    bool DecodeImages(const QStringList& names, QString* error);
    bool WriteImages(const QStringList& names, QString* error);
    void BuildStyleSheet();

    SkinContent m_content;
    QString m_sheet; // the archive's style sheet as written
    QTemporaryDir m_folder;
    QHash<QString, QString> m_paths; // archive name -> file in m_folder
    QHash<QString, std::shared_ptr<QSvgRenderer>> m_vectors;
    QHash<QString, QImage> m_rasters;
    QString m_styleSheet;
};
