#include "track/TrackExport.h"

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/CameraExtras.h"
#include "track/FixedDecimal.h"
#include "track/PrintableUtf8.h"
#include "track/UtcTime.h"

#include <algorithm>
#include <sstream>
#include <vector>

namespace {

int LastSecond(const TrackStores& stores) {
    long long last = static_cast<long long>(stores.chart.m_samples.size()) - 1;
    last = std::max(last, static_cast<long long>(stores.map.size()) - 1);
    if (!stores.dial.m_records.empty()) {
        last = std::max(last, static_cast<long long>(stores.dial.m_records.rbegin()->first));
    }
    if (stores.extras != nullptr) {
        last = std::max(last, static_cast<long long>(stores.extras->LastFilledSecond()));
    }
    return static_cast<int>(last);
}

// Only a clip whose camera wrote extras gets their columns: every other CSV keeps its shape.
const CameraExtras* FilledExtras(const TrackStores& stores) {
    return stores.extras != nullptr && !stores.extras->Empty() ? stores.extras : nullptr;
}

void PutExtras(std::ostream& out, const CameraExtras& extras, int second) {
    const std::vector<std::string>* values = extras.Find(second);
    for (size_t column = 0; column < extras.Columns().size(); ++column) {
        out << ',';
        if (values != nullptr) {
            out << (*values)[column];
        }
    }
}

// A status byte from a damaged block may be anything; keep the CSV one field.
char PrintableStatus(char status) {
    return (status > ' ' && status < 127 && status != ',' && status != '"') ? status : '?';
}

std::string XmlEscaped(const std::string& text) {
    std::string escaped;
    for (char c : PrintableUtf8(text)) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string JsonEscaped(const std::string& text) {
    std::string escaped;
    for (char c : PrintableUtf8(text)) {
        if (c == '"' || c == '\\') {
            escaped += '\\';
        }
        escaped += c;
    }
    return escaped;
}

struct TrackPoint {
    int second;
    double latitude;
    double longitude;
    int64_t utcTime;
    const SpeedRecord* record;
};

std::vector<TrackPoint> PositionedSeconds(const TrackStores& stores) {
    std::vector<TrackPoint> points;
    for (int s = 0; static_cast<size_t>(s) < stores.map.size(); ++s) {
        if (stores.map.HasPosition(s)) {
            const auto at = static_cast<size_t>(s);
            points.push_back({s, stores.map.m_latitudes[at], stores.map.m_longitudes[at],
                              stores.map.m_utcTimes[at], stores.dial.Find(s)});
        }
    }
    return points;
}

} // namespace

void WriteTrackCsv(std::ostream& out, const TrackStores& stores) {
    out << "second,fix,latitude,longitude,speed,heading,x,y,z,g";
    const CameraExtras* extras = FilledExtras(stores);
    if (extras != nullptr) {
        for (const std::string& column : extras->Columns()) {
            out << ',' << column;
        }
    }
    out << '\n';
    const int last = LastSecond(stores);
    for (int s = 0; s <= last; ++s) {
        const auto at = static_cast<size_t>(s);
        out << s << ',';
        if (at < stores.map.size()) {
            out << PrintableStatus(stores.map.m_fixStatus[at]) << ','
                << FixedText(stores.map.m_latitudes[at], 6) << ','
                << FixedText(stores.map.m_longitudes[at], 6) << ',';
        } else {
            out << ",,,";
        }
        if (const SpeedRecord* record = stores.dial.Find(s)) {
            out << record->speed << ',' << record->heading << ',';
        } else {
            out << ",,";
        }
        if (at < stores.chart.m_samples.size()) {
            const GSample& sample = stores.chart.m_samples[at];
            out << FixedText(sample.x, 5) << ',' << FixedText(sample.y, 5) << ','
                << FixedText(sample.z, 5) << ',' << FixedText(sample.g, 5);
        } else {
            out << ",,,";
        }
        if (extras != nullptr) {
            PutExtras(out, *extras, s);
        }
        out << '\n';
    }
}

void WriteGpxSegment(std::ostream& out, const TrackStores& stores) {
    out << "    <trkseg>\n";
    for (const TrackPoint& point : PositionedSeconds(stores)) {
        out << "      <trkpt lat=\"" << FixedText(point.latitude, 6) << "\" lon=\""
            << FixedText(point.longitude, 6) << "\">\n";
        // A second whose source gave no date is left without a time rather than given one.
        if (point.utcTime != kUnknownUtc) {
            out << "        <time>" << UtcText(point.utcTime) << "</time>\n";
        }
        out << "        <extensions><ostvik:second>" << point.second << "</ostvik:second>";
        if (point.record != nullptr) {
            out << "<ostvik:speed>" << point.record->speed << "</ostvik:speed><ostvik:course>"
                << point.record->heading << "</ostvik:course>";
        }
        out << "</extensions>\n      </trkpt>\n";
    }
    out << "    </trkseg>\n";
}

void WriteGpxTrack(std::ostream& out, const std::string& name,
                   const std::vector<std::string>& segments) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"ostvik-track\" "
           "xmlns=\"http://www.topografix.com/GPX/1/1\""
           " xmlns:ostvik=\"urn:ostvik:track:1\">\n"
           "  <trk>\n    <name>"
        << XmlEscaped(name) << "</name>\n";
    for (const std::string& segment : segments) {
        out << segment;
    }
    out << "  </trk>\n</gpx>\n";
}

void WriteTrackGpx(std::ostream& out, const TrackStores& stores, const std::string& name) {
    std::ostringstream segment;
    WriteGpxSegment(segment, stores);
    WriteGpxTrack(out, name, {segment.str()});
}

void WriteTrack(std::ostream& out, TrackFormat format, const TrackStores& stores,
                const std::string& name) {
    switch (format) {
    case TrackFormat::Gpx:
        WriteTrackGpx(out, stores, name);
        break;
    case TrackFormat::Kml:
        WriteTrackKml(out, stores, name);
        break;
    case TrackFormat::Csv:
        WriteTrackCsv(out, stores);
        break;
    case TrackFormat::GeoJson:
        WriteTrackGeoJson(out, stores, name);
        break;
    }
}

int64_t ClipStartUtc(const TrackStores& stores) {
    const std::vector<int64_t>& times = stores.map.m_utcTimes;
    // A second without a fix may carry a receiver's cold-start clock (a 1980 date, a time
    // hours away): only a fix's date is the drive's.
    for (size_t s = 0; s < times.size(); ++s) {
        if (times[s] != kUnknownUtc && stores.map.HasPosition(static_cast<int>(s))) {
            return times[s] - static_cast<int64_t>(s);
        }
    }
    return kUnknownUtc;
}

void WriteTrackGeoJson(std::ostream& out, const TrackStores& stores, const std::string& name) {
    const std::vector<TrackPoint> points = PositionedSeconds(stores);
    // A LineString needs two positions; fewer still make a document readers accept.
    if (points.empty()) {
        out << "{\"type\":\"FeatureCollection\",\"features\":[]}\n";
        return;
    }
    auto coordinates = [](const TrackPoint& p) {
        return "[" + FixedText(p.longitude, 6) + "," + FixedText(p.latitude, 6) + "]";
    };
    auto orNull = [](const SpeedRecord* record, int SpeedRecord::*member) {
        return record ? std::to_string(record->*member) : std::string("null");
    };
    if (points.size() == 1) {
        const TrackPoint& point = points.front();
        out << "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":"
            << coordinates(point) << "},\"properties\":{\"name\":\"" << JsonEscaped(name)
            << "\",\"second\":" << point.second
            << ",\"speed\":" << orNull(point.record, &SpeedRecord::speed)
            << ",\"heading\":" << orNull(point.record, &SpeedRecord::heading) << "}}\n";
        return;
    }
    auto list = [&](auto field) {
        std::string text = "[";
        for (size_t i = 0; i < points.size(); ++i) {
            text += (i ? "," : "") + field(points[i]);
        }
        return text + "]";
    };
    out << "{\"type\":\"Feature\",\"geometry\":{\"type\":\"LineString\",\"coordinates\":"
        << list(coordinates) << "},\"properties\":{\"name\":\"" << JsonEscaped(name)
        << "\",\"coordinateProperties\":{\"second\":"
        << list([](const TrackPoint& p) { return std::to_string(p.second); }) << ",\"speed\":"
        << list([&](const TrackPoint& p) { return orNull(p.record, &SpeedRecord::speed); })
        << ",\"heading\":"
        << list([&](const TrackPoint& p) { return orNull(p.record, &SpeedRecord::heading); })
        << "}}}\n";
}

void WriteTrackKml(std::ostream& out, const TrackStores& stores, const std::string& name) {
    const std::vector<TrackPoint> points = PositionedSeconds(stores);
    auto coordinates = [](const TrackPoint& p) {
        return FixedText(p.longitude, 6) + "," + FixedText(p.latitude, 6);
    };
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n  <Document>\n    <name>"
        << XmlEscaped(name) << "</name>\n";
    if (points.size() >= 2) {
        out << "    <Placemark>\n      <name>" << XmlEscaped(name)
            << "</name>\n      <LineString>\n        <tessellate>1</tessellate>\n"
               "        <coordinates>";
        for (size_t i = 0; i < points.size(); ++i) {
            out << (i ? " " : "") << coordinates(points[i]);
        }
        out << "</coordinates>\n      </LineString>\n    </Placemark>\n";
    }
    // One placemark a second: with its time stamp Google Earth's time slider replays the
    // drive, and the speed and heading show in the placemark's balloon.
    for (const TrackPoint& point : points) {
        out << "    <Placemark>\n      <name>" << point.second << " s</name>\n";
        if (point.utcTime != kUnknownUtc) {
            out << "      <TimeStamp><when>" << UtcText(point.utcTime) << "</when></TimeStamp>\n";
        }
        out << "      <ExtendedData>\n        <Data name=\"second\"><value>" << point.second
            << "</value></Data>\n";
        if (point.record != nullptr) {
            out << "        <Data name=\"speed\"><value>" << point.record->speed
                << "</value></Data>\n        <Data name=\"heading\"><value>"
                << point.record->heading << "</value></Data>\n";
        }
        out << "      </ExtendedData>\n      <Point><coordinates>" << coordinates(point)
            << "</coordinates></Point>\n    </Placemark>\n";
    }
    out << "  </Document>\n</kml>\n";
}
