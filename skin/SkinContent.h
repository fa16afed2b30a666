// A skin archive checked as a whole: a readable ZIP within the size bound, holding a
// well-formed manifest and every file the manifest names. This is everything the engine
// decides about an archive before it draws with it.
#pragma once

#include "skin/SkinArchive.h"
#include "skin/SkinManifest.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class SkinContent {
public:
    static std::optional<SkinContent> Open(const QByteArray& zip, QString* error = nullptr);

    // The bytes of a file the manifest names (present by construction).
    QByteArray File(const QString& name) const;
    // Whether the archive holds a file of that name.
    bool Holds(const QString& name) const;

    const SkinManifest& Manifest() const { return m_manifest; }

private:
    SkinArchive m_archive;
    SkinManifest m_manifest;
};
