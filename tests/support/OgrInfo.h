// What GDAL's ogrinfo, a reader we did not write, makes of a GIS file: the feature count
// of each layer, read from `ogrinfo -so -al`, and the points of a layer's lines. The tests that use
// it skip where GDAL's tools are not installed.
#pragma once

#include "Shell.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

inline bool HaveOgrinfo() {
    return Shell("command -v ogrinfo >/dev/null").status == 0;
}

// Layer name to feature count; empty when ogrinfo cannot open the file.
inline std::map<std::string, long> OgrFeatureCounts(const std::string& file) {
    const ToolRun run = Shell("ogrinfo -ro -so -al " + Quoted(file));
    std::map<std::string, long> counts;
    if (run.status != 0) {
        return counts;
    }
    std::istringstream lines(run.out);
    std::string line;
    std::string layer;
    while (std::getline(lines, line)) {
        if (line.rfind("Layer name: ", 0) == 0) {
            layer = line.substr(12);
        } else if (line.rfind("Feature Count: ", 0) == 0) {
            counts[layer] = std::atol(line.c_str() + 15);
        }
    }
    return counts;
}

// The number of points of each LineString of `layer`, in the layer's order.
inline std::vector<size_t> OgrLinePoints(const std::string& file, const std::string& layer) {
    const ToolRun run = Shell("ogrinfo -ro -q " + Quoted(file) + " " + Quoted(layer));
    std::vector<size_t> points;
    std::istringstream lines(run.out);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find("LINESTRING (") != std::string::npos) {
            points.push_back(1 + static_cast<size_t>(std::count(line.begin(), line.end(), ',')));
        }
    }
    return points;
}
