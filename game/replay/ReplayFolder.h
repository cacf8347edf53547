// The folder replays are kept in: where it is, a fresh file name for the next recording,
// and the rotation that keeps only the newest recordings.
#pragma once

#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

namespace replay {

class TReplayFolder {
public:
    static constexpr size_t kKept = 20;
    static constexpr const char* kExtension = ".vxr";

    // $XDG_DATA_HOME/vexmoor/replays when XDG_DATA_HOME is an absolute path, else
    // $HOME/.local/share/vexmoor/replays; empty when neither is set.
    static std::string DefaultPath();

    explicit TReplayFolder(std::string path) : path_(std::move(path)) {}
    const std::string& Path() const { return path_; }

    // Makes the folder and its parents; returns an empty string or why it could not.
    std::string Make() const;

    // A path in the folder, named for the local time `when`, that no file has yet.
    std::string NewFilePath(std::time_t when) const;

    // The paths of every entry named *.vxr (whatever kind of file it is), newest first
    // (by modification time, then by name).
    std::vector<std::string> Entries() const;

    // Removes all but the newest `keep` entries; returns how many it removed.
    size_t Rotate(size_t keep = kKept) const;

private:
    std::string path_;
};

}  // namespace replay
