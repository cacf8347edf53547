#include "framework/DataFolder.h"

#include <filesystem>
#include <iostream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool HoldsAll(const fs::path& folder, const std::vector<std::string>& needed)
{
    std::error_code error;
    for (const std::string& name : needed)
        if (!fs::is_directory(folder / name, error)) return false;
    return true;
}

}  // namespace

bool EnterDataFolder(const std::vector<std::string>& needed, const std::vector<std::string>& besideProgram,
                     const std::string& howToStart)
{
    std::error_code error;
    const fs::path here = fs::current_path(error);
    if (!error && HoldsAll(here, needed)) return true;

    std::vector<fs::path> tried;
    if (!error) tried.push_back(here);
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        for (const std::string& relative : besideProgram) {
            fs::path folder = (program.parent_path() / relative).lexically_normal();
            if (!folder.has_filename()) folder = folder.parent_path();  // "a/b/" as "a/b"
            if (HoldsAll(folder, needed)) {
                fs::current_path(folder, error);
                if (!error) return true;
            }
            tried.push_back(folder);
        }
    }

    std::string names;
    for (size_t i = 0; i < needed.size(); ++i)
        names += (i == 0 ? "" : i + 1 == needed.size() ? " and " : ", ") + needed[i] + "/";
    std::string folders;
    for (size_t i = 0; i < tried.size(); ++i)
        folders += (i == 0 ? "" : i + 1 == tried.size() ? " and " : ", ") + tried[i].string();
    std::cerr << "Cannot find the game's data (" << names << "): looked in " << folders << ". " << howToStart
              << std::endl;
    return false;
}
