// Has the kernel read a clip's file into the page cache before it is opened, so the clip a
// drive plays next starts from memory when the one before it ends, not from a card that
// may take a second to wake. The reading runs on a pool thread; a file that cannot be
// opened is passed over (the open itself will say why).
#pragma once

#include <QString>

void WarmClipPages(const QString& path);
