// The track of an excerpt (or of a whole drive) as one clip's: the seconds each piece covers,
// one piece after another, in stores of its own, so the track formats write it as they write
// a clip's. Its seconds run on without the gaps between a drive's clips, as the excerpt's
// video does; each position keeps the UTC time its source gave, so the formats that carry
// time still show when it was recorded.
#pragma once

#include "track/CGSampleStore.h"
#include "track/CMapTrackStore.h"
#include "track/CSpeedDialModel.h"
#include "track/ExcerptMarks.h"
#include "track/TrackStores.h"

#include <functional>
#include <string>
#include <vector>

// The pieces of every clip of a drive, whole.
std::vector<ExcerptPiece> WholeDrivePieces(const Drive& drive);

class ExcerptTrack {
public:
    // The track of a piece's clip; null for a clip whose track could not be had.
    using TrackOf = std::function<const TrackStores*(const std::string& clipPath)>;

    ExcerptTrack();
    // The stores name each other's members.
    ExcerptTrack(const ExcerptTrack&) = delete;
    ExcerptTrack& operator=(const ExcerptTrack&) = delete;

    // Each piece takes the whole seconds it touches (from 12.5 to 20: seconds 12 to 19); a
    // piece whose clip has no track keeps its seconds, empty, so the pieces after it stay
    // where their video is.
    void Build(const std::vector<ExcerptPiece>& pieces, const TrackOf& trackOf);

    const TrackStores& Stores() const { return m_stores; }

private:
    CMapTrackStore m_map;
    CGSampleStore m_chart;
    CSpeedDialModel m_dial;
    TrackStores m_stores;
};
