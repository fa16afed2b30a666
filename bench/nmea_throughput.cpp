// nmea_throughput FILE: reads an NMEA file, parses it with one parser and prints
// "<bytes> <seconds> <MB/s> <RMC count>"; the comparison script sets it beside gpsbabel.
// nmea_throughput --make FILE SECONDS writes such a file, a receiver's log of that length.
#include "NmeaCorpus.h"

#include "track/CNMEAParser.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--make") {
        std::ofstream out(argv[2], std::ios::binary);
        out << NmeaLog(std::stoi(argv[3]));
        return out ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: nmea_throughput FILE | --make FILE SECONDS\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "nmea_throughput: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    const auto start = std::chrono::steady_clock::now();
    CNMEAParser parser;
    parser.ParseBuffer(reinterpret_cast<const unsigned char*>(text.data()),
                       static_cast<unsigned>(text.size()));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%zu %.6f %.1f %u\n", text.size(), seconds, text.size() / seconds / 1e6,
                parser.m_dwRMCCount);
    return 0;
}
