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
    // The new file counts among the kept ones; the oldest go.
    const std::string path = replays.NewFilePath(std::time(nullptr));
    return path;
}

bool TMatchTape::Start(const replay::TReplayHeader& header, const std::string& folder, Listener listener)
{
    Stop({});
    path_ = NewFile(folder);
    if (path_.empty()) return false;
    auto writer = std::make_unique<replay::TReplayWriter>(header);
    if (listener) writer->SetListener(std::move(listener));
    if (!writer->Open(path_)) {
        std::cerr << "replay: the file " << path_ << " " << writer->Problem() << "; this match is not recorded"
                  << std::endl;
        return false;
    }
    writer_ = std::move(writer);
    replay::TReplayFolder(folder).Rotate();
    return true;
}

void TMatchTape::Copy(const std::vector<uint8_t>& piece, const std::string& folder)
{
    if (!copying_) {
        Stop({});
        copying_ = true;  // one attempt a match: a copy that cannot be made is said once
        path_ = NewFile(folder);
        if (path_.empty()) return;
        if (!copy_.Open(path_)) {
            std::cerr << "replay: the file " << path_ << " " << copy_.Problem() << "; this match is not recorded"
                      << std::endl;
            return;
        }
        replay::TReplayFolder(folder).Rotate();
    }
    copy_.Add(piece);
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
    if (!writer_->Finish(result))
        std::cerr << "replay: the file " << path_ << " " << writer_->Problem() << std::endl;
    writer_.reset();
}

void TMatchTape::Stop(const replay::TReplayResult& abandoned)
{
    Finish(abandoned);
    if (copying_ && !copy_.Close()) std::cerr << "replay: the file " << path_ << " " << copy_.Problem() << std::endl;
    copying_ = false;
}
