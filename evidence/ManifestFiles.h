// The lines of a report's manifest that name its files: each file's SHA-256, size, role and
// path, one to a line in a form a reader can check by eye against sha256sum and the verifier
// reads back. A path that does not start with "/" is taken beside the manifest, so that the
// written files can be moved together with it; source clips are named where they were read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ManifestFile {
    std::string role; // source, excerpt, gpx, csv, snapshot, report: one word
    std::string path;
    std::string sha256;
    int64_t bytes = 0;
};

// "sha256 HEX BYTES ROLE PATH"; a backslash or a line end in the path is written escaped.
std::string ManifestFileLine(const ManifestFile& file);

// Every file line of a manifest's text; other lines (the facts) are passed over. A line that
// starts as a file line but cannot be read makes the whole manifest unreadable: false, with
// `why`, rather than a shorter list that would pass a check it should fail.
bool ReadManifestFiles(const std::string& text, std::vector<ManifestFile>& files, std::string& why);
