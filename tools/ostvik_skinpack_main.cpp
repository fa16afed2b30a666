// ostvik-skinpack: builds Skin.dat from the skin's source folder at build time. The files
// of the folder go into a plain ZIP (written too, for tests that load a skin directly),
// which is then scrambled with the program's key.
//
//     ostvik-skinpack SOURCE_FOLDER PLAIN_ZIP SKIN_DAT

#include "CommandLine.h"
#include "skin/SkinScramble.h"

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

int Fail(const std::string& text) {
    std::fprintf(stderr, "ostvik-skinpack: %s\n", text.c_str());
    return 1;
}

// Files in name order with a fixed time, so the same sources always give the same bytes.
bool WriteZip(const fs::path& folder, const fs::path& out, std::string& error) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());

    int code = 0;
    zip_t* archive = zip_open(out.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (archive == nullptr) {
        error = "cannot create " + out.string();
        return false;
    }
    constexpr time_t kFixedTime = 315532800; // 1980-01-01, the earliest a ZIP can hold
    for (const fs::path& file : files) {
        const std::string name = fs::relative(file, folder).generic_string();
        zip_source_t* source = zip_source_file(archive, file.c_str(), 0, -1);
        const zip_int64_t index =
            source != nullptr ? zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(source);
            error = "cannot add " + name + ": " + zip_strerror(archive);
            zip_discard(archive);
            return false;
        }
        zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), kFixedTime, 0);
    }
    if (zip_close(archive) != 0) {
        error = "cannot write " + out.string() + ": " + zip_strerror(archive);
        zip_discard(archive);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    constexpr CommandLine tool{
        "ostvik-skinpack",
        "usage: ostvik-skinpack SOURCE_FOLDER PLAIN_ZIP SKIN_DAT\n"
        "Packs the skin in SOURCE_FOLDER into the zip archive PLAIN_ZIP, and scrambled into\n"
        "SKIN_DAT as the player reads it.\n"};
    if (argc == 2 && AnswersHelpOrVersion(tool, argv[1])) {
        return 0;
    }
    if (argc != 4) {
        return UsageError(tool, "needs three paths");
    }
    const fs::path folder = argv[1];
    const fs::path plain = argv[2];
    const fs::path scrambled = argv[3];
    std::error_code exists;
    if (!fs::is_directory(folder, exists)) {
        return Fail("no folder " + folder.string());
    }
    std::string error;
    if (!WriteZip(folder, plain, error)) {
        return Fail(error);
    }
    std::ifstream in(plain, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (!in.eof() && in.fail()) {
        return Fail("cannot read back " + plain.string());
    }
    Descramble(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    std::ofstream out(scrambled, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        return Fail("cannot write " + scrambled.string());
    }
    return 0;
}
