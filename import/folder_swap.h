#pragma once

#include <filesystem>
#include <string_view>

namespace Import {

// A folder beside `target`, named for this process and `purpose`, to build
// what will replace `target`: ".{target's name}.{purpose}-{pid}".
std::filesystem::path FolderBeside(const std::filesystem::path& target, std::string_view purpose);

// Removes what FolderBeside built for `target` and `purpose` in processes
// that are no longer running: they were killed before they could swap it in.
void RemoveLeftoversBeside(const std::filesystem::path& target, std::string_view purpose);

// Puts the folder `fresh` in place of `target` in one step, then removes what
// was there; `target` need not exist.
void SwapIn(const std::filesystem::path& fresh, const std::filesystem::path& target);

}  // namespace Import
