#include "recover/TrackBoxes.h"

std::vector<unsigned char> Bytes(ByteSource& source, uint64_t at, uint64_t count) {
    const std::span<const unsigned char> read = source.Read(at, static_cast<size_t>(count));
    return {read.begin(), read.end()};
}

std::optional<Mp4Box> TrackOf(ByteSource& source, const Mp4Box& movie, std::string_view handler) {
    std::optional<Mp4Box> found;
    ForEachMp4Box(source, movie.payload, movie.end, [&](const Mp4Box& box) {
        if (box.Is("trak")) {
            const std::optional<Mp4Box> header = FindMp4Box(source, box, "mdia/hdlr");
            if (header && header->end - header->payload >= 12) {
                const std::vector<unsigned char> type = Bytes(source, header->payload + 8, 4);
                if (std::string_view(reinterpret_cast<const char*>(type.data()), type.size()) ==
                    handler) {
                    found = box;
                }
            }
        }
        return !found;
    });
    return found;
}
