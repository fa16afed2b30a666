#include "RecoverTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

std::vector<LayoutRow> ReadLayout(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    std::vector<LayoutRow> rows;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string kind;
        std::string index;
        std::string offset;
        std::string size;
        std::string shown;
        std::getline(fields, kind, ',');
        std::getline(fields, index, ',');
        std::getline(fields, offset, ',');
        std::getline(fields, size, ',');
        std::getline(fields, shown, ',');
        rows.push_back({kind == "frame", std::stoi(index), std::stoull(offset), std::stoull(size),
                        shown.empty() ? -1 : std::stoi(shown)});
    }
    return rows;
}

void CopyCut(const std::string& from, const std::string& to, uint64_t length) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::resize_file(to, length);
}

ToolRun Recover(const std::string& arguments) {
    return Shell(Quoted(OSTVIK_RECOVER_TOOL) + " " + arguments);
}

std::vector<int> FrameCodes(const std::string& clip, std::string& errors) {
    const ToolRun run =
        Shell("ffmpeg -v error -nostdin -i " + Quoted(clip) + " -f rawvideo -pix_fmt gray -");
    errors = run.err;
    const size_t frameSize = static_cast<size_t>(kWidth) * kHeight;
    const int side = std::max(8, kWidth / 24);
    std::vector<int> codes;
    for (size_t at = 0; at + frameSize <= run.out.size(); at += frameSize) {
        int code = 0;
        for (int bit = 0; bit < 12; ++bit) {
            const auto grey = static_cast<unsigned char>(
                run.out[at + (side / 2) * kWidth + bit * side + side / 2]);
            code |= (grey > 128 ? 1 : 0) << bit;
        }
        codes.push_back(code);
    }
    return codes;
}

std::vector<double> FrameTimes(const std::string& clip) {
    const ToolRun run = Shell("ffprobe -v error -select_streams v:0 -show_entries "
                              "frame=best_effort_timestamp_time -of csv=p=0 " +
                              Quoted(clip));
    std::vector<double> times;
    for (const std::vector<double>& row : NumberRows(run.out)) {
        if (!row.empty()) {
            times.push_back(row[0]);
        }
    }
    return times;
}

std::vector<Packet> VideoPackets(const std::string& clip) {
    const ToolRun run = Shell("ffprobe -v error -select_streams v:0 -show_entries "
                              "packet=pos,size -of csv=p=0 " +
                              Quoted(clip));
    std::vector<Packet> packets;
    for (const std::vector<double>& row : NumberRows(run.out)) {
        if (row.size() == 2) {
            packets.push_back({static_cast<uint64_t>(row[1]), static_cast<uint64_t>(row[0])});
        }
    }
    return packets;
}

std::vector<SoundPacket> SoundPackets(const std::string& clip) {
    const ToolRun run = Shell("ffprobe -v error -select_streams a:0 -show_entries "
                              "packet=pts_time,duration_time,pos,size -of csv=p=0 " +
                              Quoted(clip));
    std::vector<SoundPacket> packets;
    for (const std::vector<double>& row : NumberRows(run.out)) {
        if (row.size() >= 4) {
            packets.push_back(
                {static_cast<uint64_t>(row[3]), static_cast<uint64_t>(row[2]), row[0], row[1]});
        }
    }
    return packets;
}

int WholeBefore(const std::vector<Packet>& packets, uint64_t cut) {
    return static_cast<int>(std::count_if(
        packets.begin(), packets.end(), [&](const Packet& p) { return p.offset + p.size <= cut; }));
}
