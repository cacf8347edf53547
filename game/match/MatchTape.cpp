#include "game/match/MatchTape.h"

#include <ctime>
#include <iostream>

#include "game/replay/ReplayFolder.h"

std::string TMatchTape::NewFile(const std::string& folder)
{
    const replay::TReplayFolder replays(folder);
    const std::string problem = replays.Make();
    if (!problem.empty()) {
        std::cerr << "replay: the replay folder " << problem << "; this match is not recorded" << std::endl;
        return "";
    }
    const std::string path = replays.NewFilePath(std::time(nullptr));
    if (!file_.Open(path)) {
        std::cerr << "replay: the file " << path << " " << file_.Problem() << "; this match is not recorded"
                  << std::endl;
        return "";
    }
    // The new file counts among the kept ones; the oldest go.
    replays.Rotate();
    return path;
}

bool TMatchTape::Start(const replay::TReplayHeader& header, const std::string& folder, Listener listener)
{
    Stop({});
    path_ = NewFile(folder);
    if (path_.empty()) return false;
    writer_ = std::make_unique<replay::TReplayWriter>(header);
    writer_->RecordFor([this, listener = std::move(listener)](const std::vector<uint8_t>& piece) {
        file_.Add(piece);
        if (listener) listener(piece);
    });
    return true;
}

void TMatchTape::Copy(const std::vector<uint8_t>& piece, const std::string& folder)
{
    if (!copying_) {
        Stop({});
        copying_ = true;  // one attempt a match: a copy that cannot be made is said once
        path_ = NewFile(folder);
    }
    file_.Add(piece);
}

void TMatchTape::AddKey(replay::TMatchKey key)
{
    if (writer_) writer_->AddKey(key);
}

void TMatchTape::AddFrame(uint32_t timeMs, const Commands& commands)
{
    if (writer_) writer_->AddFrame(timeMs, commands);
}

void TMatchTape::Finish(const replay::TReplayResult& result)
{
    if (!writer_) return;
    writer_->Finish(result);
    writer_.reset();
}

void TMatchTape::Stop(const replay::TReplayResult& abandoned)
{
    Finish(abandoned);
    copying_ = false;
    if (file_.IsOpen() && !file_.Close()) std::cerr << "replay: the file " << path_ << " " << file_.Problem() << std::endl;
}
