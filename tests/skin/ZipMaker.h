// Builds ZIP archives for the tests with libzip, independent of the code under test.
#pragma once

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

using ZipEntries = std::vector<std::pair<QString, QByteArray>>;

// The archive of the entries, deflated.
QByteArray MakeZip(const ZipEntries& entries);

// A small valid skin: a manifest naming one SVG image and a style sheet, plus the files.
ZipEntries MinimalSkin();
