// The single path every track line takes from its producers (the sidecar reader and the
// playback engine) to its two consumers, the G-sensor chart and the map view's store.
// The consumers register themselves when they are created.
#pragma once

#include <functional>

using TrackLineConsumer = std::function<int(const char* line)>;

// Registers the consumers; an empty function leaves that consumer out.
void SetTrackLineConsumers(TrackLineConsumer chart, TrackLineConsumer map);

// Hands the line to the chart, then to the map store, and returns 0; a sentence-only line
// (IsSentenceOnlyTrackLine) goes to the map store alone. `length` and
// `context` are unused: the engine's data-line callback passes them. A null line is
// passed on as it is.
int DispatchTrackLine(const char* line, int length, void* context);
