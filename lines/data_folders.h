#pragma once

#include <filesystem>
#include <vector>

namespace Lines {

// Where the user's own lines go (imports write there):
// $XDG_DATA_HOME/ridelon/site, by default ~/.local/share/ridelon/site.
std::filesystem::path UserDataFolder();

// The folders a line is looked up in, the first that has it winning: the
// user's, then the sample lines installed beside the program
// (../share/ridelon/site), or, for a program in a build tree, the source
// tree's.
std::vector<std::filesystem::path> DataFolders();

// Whether `path` is `folder` or lies inside it, component by component, as
// written: for paths already made real.
bool Contains(const std::filesystem::path& folder, const std::filesystem::path& path);

// Whether the real location of `path` lies inside `folder`: nothing a
// symbolic link leads out of a data folder to is served.
bool Inside(const std::filesystem::path& path, const std::filesystem::path& folder);

// Whether `file` is a regular file that lies inside `folder`.
bool RegularFileInside(const std::filesystem::path& file, const std::filesystem::path& folder);

}  // namespace Lines
