// The excerpt the user marks for export: a start and an end on one clip, or on one drive when
// a drive plays, so an excerpt may run across the drive's clips. The marks belong to what was
// open when they were set and are forgotten when something else opens; the start always stays
// before the end. The export asks for the excerpt as pieces of clip files.
#pragma once

#include "track/ExcerptPiece.h"
#include "track/LoadedDrive.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class ExcerptMarks {
public:
    // What is playing: a clip alone (drive null) or a clip of a drive. Another clip alone,
    // or another drive, clears the marks; another clip of the same drive keeps them.
    void Follow(const std::string& clipPath, std::shared_ptr<const LoadedDrive> drive);

    // Marks at `second`: drive seconds while a drive is followed, else the clip's. A mark
    // set at or beyond the other one clears that one, so the excerpt is never reversed and
    // never holds a bound the user did not mean for it.
    void SetStart(double second);
    void SetEnd(double second);
    void Clear();

    std::optional<double> Start() const { return m_start; }
    std::optional<double> End() const { return m_end; }
    bool InDrive() const { return m_drive != nullptr; }
    // The drive the marks count in; null for a clip alone.
    const std::shared_ptr<const LoadedDrive>& Drive() const { return m_drive; }
    const std::string& ClipPath() const { return m_clipPath; }

    // The excerpt as one piece per clip it covers, in order; the gaps between a drive's clips,
    // where nothing was recorded, belong to no piece. Empty until both marks are set.
    std::vector<ExcerptPiece> Pieces() const;

private:
    std::string m_clipPath;
    std::shared_ptr<const LoadedDrive> m_drive;
    std::optional<double> m_start;
    std::optional<double> m_end;
};
