#include "track/TrackDispatch.h"

#include "track/TrackLine.h"

#include <utility>

namespace {

struct Consumers {
    TrackLineConsumer chart;
    TrackLineConsumer map;
};

Consumers& Registered() {
    static Consumers consumers;
    return consumers;
}

} // namespace

void SetTrackLineConsumers(TrackLineConsumer chart, TrackLineConsumer map) {
    Registered() = {std::move(chart), std::move(map)};
}

int DispatchTrackLine(const char* line, int /*length*/, void* /*context*/) {
    const Consumers& consumers = Registered();
    if (consumers.chart && (line == nullptr || !IsSentenceOnlyTrackLine(line))) {
        consumers.chart(line);
    }
    if (consumers.map) {
        consumers.map(line);
    }
    return 0;
}
