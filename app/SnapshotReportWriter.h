// The video pane's writer of a snapshot's one-page report, made here because only the
// program's root knows both the pane and the evidence report: the pane hands over the frame
// and the track's facts, and the report adds the clip's hash and how it came about.
#pragma once

#include "playback/CVideoViewDlg.h"

CVideoViewDlg::SnapshotReportWriter MakeSnapshotReportWriter();
