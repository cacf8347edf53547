#include "game/arenas/ArenaCatalog.h"

#include <dirent.h>

#include <algorithm>

#include "base/UserData.h"
#include "game/arenas/ArenaFileReader.h"

namespace {

bool IsArenaFileName(const std::string& name)
{
    const std::string extension = ".txt";
    return name.size() > extension.size() && name[0] != '.' &&
           name.compare(name.size() - extension.size(), extension.size(), extension) == 0;
}

std::vector<std::string> ArenaFilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir))
        if (IsArenaFileName(entry->d_name)) names.push_back(entry->d_name);
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::string TArenaCatalog::UserFolder()
{
    return UserDataFolder("arenas");
}

std::vector<std::string> TArenaCatalog::Folders()
{
    std::vector<std::string> folders{"media/arenas"};
    const std::string user = UserFolder();
    if (!user.empty()) folders.push_back(user);
    return folders;
}

std::vector<TArenaGrid> TArenaCatalog::Load(const std::vector<std::string>& folders, std::ostream& errors)
{
    std::vector<TArenaGrid> arenas;
    for (const std::string& folder : folders) {
        for (const std::string& name : ArenaFilesIn(folder)) {
            const std::string path = folder + "/" + name;
            TArenaRead read = TArenaFileReader::ReadFile(path);
            if (!read.grid) {
                errors << read.error.Message() << std::endl;
                continue;
            }
            if (Find(arenas, read.grid->Name())) {
                errors << "arena \"" << path << "\": an arena named \"" << read.grid->Name()
                       << "\" is already offered; this one is left out" << std::endl;
                continue;
            }
            arenas.push_back(std::move(*read.grid));
        }
    }
    return arenas;
}

const TArenaGrid* TArenaCatalog::Find(const std::vector<TArenaGrid>& arenas, const std::string& name)
{
    for (const TArenaGrid& arena : arenas)
        if (arena.Name() == name) return &arena;
    return nullptr;
}
