// The line the playlist shows above a drive's clips: its date, its local start and end
// time, how long it lasted, how far it went and of how many clips it is made, e.g.
// "2024-06-01  14:00–14:20  20 min  12.3 km  4 clips". A drive dated by its tracks' UTC
// is shown in the system's time zone; one dated only by the camera's clock shows that
// clock as written (the camera knows no zone); one with no time shows none.
#pragma once

#include <QString>

struct Drive;

QString DriveHeaderText(const Drive& drive);
