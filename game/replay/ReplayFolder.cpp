#include "game/replay/ReplayFolder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/UserData.h"

namespace replay {

namespace {

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

struct TDatedEntry {
    std::string path;
    int64_t modifiedNs;
};

}  // namespace

std::string TReplayFolder::DefaultPath()
{
    return UserDataFolder("replays");
}

std::string TReplayFolder::Make() const
{
    if (path_.empty()) return "has no place (neither XDG_DATA_HOME nor HOME is set)";
    for (size_t slash = 1; slash <= path_.size(); ++slash) {
        if (slash != path_.size() && path_[slash] != '/') continue;
        const std::string part = path_.substr(0, slash);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return "cannot be made at " + part + " (" + std::strerror(errno) + ")";
    }
    struct stat info;
    if (::stat(path_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return "is not a folder";
    return "";
}

std::string TReplayFolder::NewFilePath(std::time_t when) const
{
    std::tm local{};
    ::localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    for (int n = 1;; ++n) {
        const std::string path =
            path_ + "/" + stamp + (n > 1 ? "-" + std::to_string(n) : std::string()) + kExtension;
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0) return path;
    }
}

std::vector<std::string> TReplayFolder::Entries() const
{
    std::vector<TDatedEntry> found;
    if (DIR* dir = ::opendir(path_.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.empty() || name[0] == '.' || !EndsWith(name, kExtension)) continue;
            const std::string path = path_ + "/" + name;
            struct stat info;
            if (::lstat(path.c_str(), &info) != 0) continue;
            found.push_back({path, static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec});
        }
        ::closedir(dir);
    }
    std::sort(found.begin(), found.end(), [](const TDatedEntry& a, const TDatedEntry& b) {
        return a.modifiedNs != b.modifiedNs ? a.modifiedNs > b.modifiedNs : a.path > b.path;
    });
    std::vector<std::string> paths;
    for (const TDatedEntry& entry : found) paths.push_back(entry.path);
    return paths;
}

size_t TReplayFolder::Rotate(size_t keep) const
{
    const std::vector<std::string> entries = Entries();
    size_t removed = 0;
    for (size_t i = keep; i < entries.size(); ++i)
        if (::unlink(entries[i].c_str()) == 0) ++removed;  // a folder of that name stays
    return removed;
}

}  // namespace replay
