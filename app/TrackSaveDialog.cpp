#include "app/TrackSaveDialog.h"

#include "skin/ReadableDialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include <array>

namespace {

struct FormatFilter {
    TrackFormat format;
    const char* filter;
    const char* suffix;
};

constexpr std::array<FormatFilter, 4> kFilters{{
    {TrackFormat::Gpx, "GPX track (*.gpx)", "gpx"},
    {TrackFormat::Kml, "KML (*.kml)", "kml"},
    {TrackFormat::Csv, "CSV, every second (*.csv)", "csv"},
    {TrackFormat::GeoJson, "GeoJSON (*.geojson)", "geojson"},
}};

} // namespace

std::optional<TrackFormat> ChosenTrackFormat(const QString& path, const QString& filter) {
    const QString suffix = QFileInfo(path).suffix();
    for (const FormatFilter& entry : kFilters) {
        if (suffix.compare(QLatin1String(entry.suffix), Qt::CaseInsensitive) == 0) {
            return entry.format;
        }
    }
    for (const FormatFilter& entry : kFilters) {
        if (filter == QLatin1String(entry.filter)) {
            return entry.format;
        }
    }
    return std::nullopt;
}

std::unique_ptr<QFileDialog> MakeTrackSaveDialog(QWidget* owner, const QString& proposed) {
    QStringList filters;
    for (const FormatFilter& entry : kFilters) {
        filters << QLatin1String(entry.filter);
    }
    const QFileInfo path(proposed);
    auto dialog =
        std::make_unique<QFileDialog>(owner, QObject::tr("Save track as"), path.absolutePath());
    dialog->setNameFilters(filters);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QLatin1String(kFilters.front().suffix));
    QFileDialog* raw = dialog.get();
    QObject::connect(raw, &QFileDialog::filterSelected, raw, [raw](const QString& filter) {
        for (const FormatFilter& entry : kFilters) {
            if (filter == QLatin1String(entry.filter)) {
                raw->setDefaultSuffix(QLatin1String(entry.suffix));
            }
        }
    });
    // Qt's own dialog, so that the readable colours reach every widget in it.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    MakeReadableUnderSkin(dialog.get());
    dialog->selectFile(path.fileName());
    return dialog;
}
