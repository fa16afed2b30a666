#include "ClipEventsReport.h"

#include "ClipTrackExport.h"
#include "track/DrivingEvents.h"
#include "track/FixedDecimal.h"

#include <iostream>

int WriteClipEvents(const std::vector<std::string>& clipPaths, std::ostream& out) {
    int status = 0;
    out << "clip\tsecond\tkind\tpeak_g\tkmh\n";
    for (const std::string& path : clipPaths) {
        // A row with the name in it would no longer split into its five fields.
        if (path.find_first_of("\t\n\r") != std::string::npos) {
            std::cerr << "ostvik-track: cannot list a clip whose name holds a tab or a line "
                         "break\n";
            status = 1;
            continue;
        }
        ClipTrackExport clip;
        std::string why;
        if (!clip.Read(path, why)) {
            std::cerr << "ostvik-track: cannot read " << path << ": " << why << "\n";
            status = 1;
            continue;
        }
        for (const DrivingEvent& event : DetectClipEvents(path, clip.Track())) {
            out << path << '\t' << event.second << '\t' << DrivingEventName(event.kind) << '\t'
                << (event.kind == DrivingEventKind::Locked ? "" : FixedText(event.peakG, 2)) << '\t'
                << (event.speedKmh ? std::to_string(*event.speedKmh) : "") << '\n';
        }
    }
    return status;
}
