// The folder a clip lies in, listed at most once for the clip. Every file a camera writes
// beside a clip (its .TXT log, BlackVue's .gps and .3gf, a .NMEA log, a 70mai camera's GPS
// folder) is looked up in this one listing, rather than by a walk of the folder per reader.
// Cameras write upper-case names and copies may not keep them, so names match whatever
// their letter case. The listing is made when a lookup first needs it: a clip whose own
// data gives its track, one of thousands on a card, costs no walk of the card's folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

class ClipFolder {
public:
    explicit ClipFolder(std::string clipPath);

    const std::string& ClipPath() const { return m_clipPath; }

    // The path of the file named as the clip with `extension` in place of its own (added to
    // a name without one): the exact name when it is there, else the smallest name equal to
    // it up to letter case, else the exact name anyway.
    std::string Beside(const std::string& extension) const;

    // The path of a file or folder of the listing, by its name.
    std::string PathOf(const std::string& name) const;

    // The names the folder held when listed, sorted; empty when it could not be listed.
    const std::vector<std::string>& Names() const;

    // Whether a lookup has needed the listing yet.
    bool Listed() const { return m_names.has_value(); }

private:
    std::string m_clipPath;
    std::string m_folder; // empty for a clip named without a folder
    mutable std::optional<std::vector<std::string>> m_names;
};
