#include "game/settings/SettingsStore.h"

#include <fcntl.h>
#include <ini.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSpace = " \t\v\f\r";

std::string Trim(const std::string& text)
{
    const size_t start = text.find_first_not_of(kSpace);
    if (start == std::string::npos) return "";
    return text.substr(start, text.find_last_not_of(kSpace) - start + 1);
}

// The file as read: its lines, what each holds, and the settings it gives.
struct TParsedFile {
    std::vector<std::string> lines;        // without their line ends
    std::vector<std::string> sectionOf;    // the section each line is in
    std::map<const TSettingsEntry*, size_t> lineOf;  // the line each entry was last read from
    std::set<const TSettingsEntry*> good;  // entries whose last line read holds a good value
    TSettings settings;
    bool faulty = false;  // something in it was wrong (a bad value or line, a key bound twice)
};

// What a parse hands to inih's reader and callback. The reader feeds inih one line at a
// time as it should see it: without leading whitespace (so that it is never a continuation
// of the line before), a comment as an empty line however long it is, and a line too long
// for inih's buffer as an empty line that is reported here.
struct TParseRun {
    TParsedFile* file = nullptr;
    const std::string* path = nullptr;
    bool report = false;
    TSettings defaults;
    size_t next = 0;
    std::string fed;       // the line last fed
    bool handled = false;  // whether inih found a setting in it
    std::string section;
    std::set<std::string> reportedSections;

    void Say(const std::string& line) const
    {
        if (report) std::cerr << "settings: " << line << std::endl;
    }
    // Whether the line last fed was one inih could make nothing of.
    void FinishLine()
    {
        if (next == 0 || fed.empty() || handled) return;
        if (fed[0] == '[' && fed.find(']') != std::string::npos) return;
        file->faulty = true;
        Say("line " + std::to_string(next) + " of " + *path + " is not a setting; ignored");
    }
};

char* FeedLine(char* buffer, int size, void* stream)
{
    auto& run = *static_cast<TParseRun*>(stream);
    run.FinishLine();
    if (run.next >= run.file->lines.size()) return nullptr;
    const size_t index = run.next++;
    run.handled = false;
    run.fed = Trim(run.file->lines[index]);
    if (!run.fed.empty() && (run.fed[0] == ';' || run.fed[0] == '#')) {
        run.fed.clear();
    } else if (run.fed.size() + 2 > static_cast<size_t>(size)) {
        run.file->faulty = true;
        run.Say("line " + std::to_string(index + 1) + " of " + *run.path + " is longer than " +
                std::to_string(size - 2) + " characters; ignored");
        run.fed.clear();
    } else if (!run.fed.empty() && run.fed[0] == '[') {
        const size_t close = run.fed.find(']');
        if (close != std::string::npos) run.section = Trim(run.fed.substr(1, close - 1));
    }
    run.file->sectionOf.push_back(run.section);
    std::memcpy(buffer, run.fed.c_str(), run.fed.size());
    buffer[run.fed.size()] = '\n';
    buffer[run.fed.size() + 1] = '\0';
    return buffer;
}

int OnIniValue(void* user, const char* rawSection, const char* key, const char* value)
{
    auto& run = *static_cast<TParseRun*>(user);
    run.handled = true;
    const std::string section = Trim(rawSection);
    if (const TSettingsEntry* entry = TSettingsSchema::Find(section, key)) {
        run.file->lineOf[entry] = run.next - 1;
        if (entry->read(run.file->settings, value)) {
            run.file->good.insert(entry);
        } else {
            run.file->good.erase(entry);
            run.file->faulty = true;
            entry->reset(run.file->settings, run.defaults);
            run.Say(std::string("bad value \"") + value + "\" for " + key + " in [" + section + "]; its default is used");
        }
    } else if (!TSettingsSchema::KnownSection(section)) {
        if (run.reportedSections.insert(section).second) run.Say("unknown section [" + section + "] ignored");
    } else {
        run.Say(std::string("unknown key ") + key + " in [" + section + "] ignored");
    }
    return 1;
}

// A key the file binds that player 3 or 4 holds only because the file does not set that
// action (those players came after many files were written) trades places with it, as the
// options screen trades keys: player 3 or 4 takes the file's action's default key. Any
// other key bound twice is KeepKeysApart's.
void TradeUnsetKeys(TParsedFile& file)
{
    static const char* const kActions[] = {"forward", "left", "right", "fire"};
    static int TKeyBindings::* const kFields[] = {&TKeyBindings::forward, &TKeyBindings::left, &TKeyBindings::right,
                                                 &TKeyBindings::fire};
    auto isSet = [&file](int slot, int action) {
        const TSettingsEntry* entry = TSettingsSchema::Find("player" + std::to_string(slot + 1), kActions[action]);
        return entry && file.good.count(entry) > 0;
    };
    for (int slot = 0; slot < kMaxPlayers; ++slot)
        for (int action = 0; action < 4; ++action) {
            if (!isSet(slot, action)) continue;
            const int key = file.settings.players[static_cast<size_t>(slot)].keys.*kFields[action];
            const int ownDefault = TSettings::DefaultKeys(slot).*kFields[action];
            for (int other = 2; other < kMaxPlayers; ++other)
                for (int otherAction = 0; otherAction < 4; ++otherAction) {
                    int& held = file.settings.players[static_cast<size_t>(other)].keys.*kFields[otherAction];
                    if ((other != slot || otherAction != action) && held == key && !isSet(other, otherAction))
                        held = ownDefault;
                }
        }
}

TParsedFile Parse(const std::string& text, const TSettings& settings, const std::string& path, bool report)
{
    TParsedFile file;
    file.settings = settings;
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // a UTF-8 byte order mark
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        file.lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    TParseRun run;
    run.file = &file;
    run.path = &path;
    run.report = report;
    ini_parse_stream(FeedLine, &run, OnIniValue, &run);
    TradeUnsetKeys(file);
    if (!TSettingsSchema::KeepKeysApart(file.settings, report)) {
        file.faulty = true;
        for (const TSettingsEntry& entry : TSettingsSchema::Entries())
            if (entry.section.rfind("player", 0) == 0) file.good.erase(&entry);
    }
    return file;
}

bool LooksLikeText(const std::string& text)
{
    return std::none_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && !std::strchr("\t\n\v\f\r", c)) || byte == 0x7f;
    });
}

enum class TReadResult { Missing, Read, Unusable };

// Reads the settings file whole; for an unusable one, says why in *why.
TReadResult ReadWhole(const std::string& path, std::string& text, std::string& why)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return TReadResult::Missing;
        if (errno == ENOTDIR) {
            for (fs::path up = fs::path(path).parent_path(); !up.empty() && up != up.root_path(); up = up.parent_path()) {
                std::error_code error;
                if (fs::exists(up, error) && !fs::is_directory(up, error)) {
                    why = "cannot be read: " + up.string() + " is a file, not a folder";
                    return TReadResult::Missing;
                }
            }
        }
        why = std::string("cannot be read (") + std::strerror(errno) + ")";
        return TReadResult::Unusable;
    }
    if (S_ISDIR(info.st_mode)) why = "is a folder";
    else if (!S_ISREG(info.st_mode)) why = "is not a regular file";
    else if (info.st_size > TSettingsStore::kMaxBytes) why = "is larger than 64 KiB";
    if (!why.empty()) return TReadResult::Unusable;

    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        why = std::string("cannot be read (") + std::strerror(errno) + ")";
        return TReadResult::Unusable;
    }
    text.assign(static_cast<size_t>(TSettingsStore::kMaxBytes) + 1, '\0');
    const size_t length = std::fread(text.data(), 1, text.size(), file);
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    text.resize(length);
    if (readError) why = "cannot be read";
    else if (length > static_cast<size_t>(TSettingsStore::kMaxBytes)) why = "is larger than 64 KiB";
    else if (!LooksLikeText(text)) why = "is not a text file";
    return why.empty() ? TReadResult::Read : TReadResult::Unusable;
}

// The file a path names, through any symlinks.
std::string Target(const std::string& path)
{
    fs::path at = path;
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(at, error))) break;
        const fs::path to = fs::read_symlink(at, error);
        if (error) break;
        at = to.is_absolute() ? to : at.parent_path() / to;
    }
    return at.string();
}

std::string FolderOf(const std::string& path)
{
    return fs::path(path).parent_path().string();
}

// An advisory lock on a folder, held while it lives.
class TFolderLock {
public:
    TFolderLock(const std::string& folder, bool wait) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (fd_ < 0) return;
        int result;
        do result = ::flock(fd_, LOCK_EX | (wait ? 0 : LOCK_NB));
        while (result != 0 && errno == EINTR);
        if (result != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~TFolderLock()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    TFolderLock(const TFolderLock&) = delete;
    TFolderLock& operator=(const TFolderLock&) = delete;
    bool Held() const { return fd_ >= 0; }
    bool Sync() const { return fd_ >= 0 && ::fsync(fd_) == 0; }

private:
    int fd_;
};

// A save's temporary file is the file's name, a dot and six characters from mkstemp; one
// still there while the lock is held was left by a game that was killed.
void RemoveTemporaries(const std::string& target)
{
    const std::string prefix = fs::path(target).filename().string() + ".";
    std::error_code error;
    for (const fs::directory_entry& item : fs::directory_iterator(FolderOf(target), error)) {
        const std::string name = item.path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        if (!std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                         [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            continue;
        std::error_code ignored;
        if (fs::is_regular_file(item.symlink_status(ignored))) fs::remove(item.path(), ignored);
    }
}

// The numbers of the copies kept as target.bad.N.
std::vector<long> BadNumbers(const std::string& target)
{
    const std::string prefix = fs::path(target).filename().string() + ".bad.";
    std::vector<long> numbers;
    std::error_code error;
    for (const fs::directory_entry& item : fs::directory_iterator(FolderOf(target), error)) {
        const std::string name = item.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0 || name.size() == prefix.size() || name.size() > prefix.size() + 9)
            continue;
        if (std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                        [](char c) { return c >= '0' && c <= '9'; }))
            numbers.push_back(std::atol(name.c_str() + prefix.size()));
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::string NextBadName(const std::string& target)
{
    const std::vector<long> numbers = BadNumbers(target);
    return target + ".bad." + std::to_string(numbers.empty() ? 1 : numbers.back() + 1);
}

// Keeps the last few copies; older plain files go, a folder is never removed.
void PruneBadCopies(const std::string& target)
{
    const std::vector<long> numbers = BadNumbers(target);
    for (size_t i = 0; i + TSettingsStore::kBadCopiesKept < numbers.size(); ++i) {
        const std::string old = target + ".bad." + std::to_string(numbers[i]);
        std::error_code error;
        const fs::file_status status = fs::symlink_status(old, error);
        if (!error && !fs::is_directory(status)) fs::remove(old, error);
    }
}

// Moves a file that cannot be used aside, naming why.
void MoveAside(const std::string& path, const std::string& why)
{
    const std::string bad = NextBadName(Target(path));
    if (std::rename(path.c_str(), bad.c_str()) == 0) {
        std::cerr << "settings: " << path << " " << why << "; moved aside to " << bad << ", defaults used" << std::endl;
        PruneBadCopies(Target(path));
    } else {
        std::cerr << "settings: " << path << " " << why << " and cannot be moved aside (" << std::strerror(errno)
                  << "); defaults used" << std::endl;
    }
}

// Keeps a copy of a file with faults before a save rewrites it.
void KeepBadCopy(const std::string& target, const std::string& text)
{
    const std::string bad = NextBadName(target);
    const int fd = ::open(bad.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const bool kept = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0) ::close(fd);
    if (kept) {
        std::cerr << "settings: " << target << " had faults that this save puts right; it is kept as " << bad << std::endl;
        PruneBadCopies(target);
    }
}

// The tail of a setting's line that inih took as a comment, kept when the value is replaced.
std::string InlineComment(const std::string& line)
{
    for (size_t at = line.find(';'); at != std::string::npos; at = line.find(';', at + 1))
        if (at > 0 && std::strchr(kSpace, line[at - 1])) return " " + line.substr(at);
    return "";
}

// The file's new text: the lines on disk, with the entries this game changed (and those
// missing or bad on disk) written from its settings and counts added.
std::string Merge(const TParsedFile& disk, const TSettings& mine, const std::optional<TSettings>& base)
{
    TSettings merged = mine;
    std::map<size_t, std::string> replaced;
    std::map<std::string, std::vector<std::string>> added;
    std::vector<std::string> newSections;
    for (const TSettingsEntry& entry : TSettingsSchema::Entries()) {
        const bool onDisk = disk.good.count(&entry) != 0;
        bool write = !onDisk || !base || entry.write(mine) != entry.write(*base);
        if (entry.count && onDisk && base) {
            const long sum = static_cast<long>(entry.count(const_cast<TSettings&>(disk.settings))) +
                             entry.count(const_cast<TSettings&>(mine)) - entry.count(const_cast<TSettings&>(*base));
            entry.count(merged) = static_cast<int>(std::clamp(sum, 0L, static_cast<long>(TSettingsSchema::kMaxCount)));
        }
        if (!write) continue;
        const std::string line = TSettingsSchema::Line(entry, merged);
        const auto at = disk.lineOf.find(&entry);
        if (at != disk.lineOf.end()) {
            replaced[at->second] = line + InlineComment(disk.lines[at->second]);
        } else {
            if (added.find(entry.section) == added.end() &&
                std::find(disk.sectionOf.begin(), disk.sectionOf.end(), entry.section) == disk.sectionOf.end())
                newSections.push_back(entry.section);
            added[entry.section].push_back(line);
        }
    }
    if (disk.lines.empty()) return TSettingsSchema::Text(merged);

    // A section's missing entries go after its last line that is not blank.
    std::map<size_t, std::string> after;
    for (const auto& [section, lines] : added) {
        if (std::find(newSections.begin(), newSections.end(), section) != newSections.end()) continue;
        size_t last = 0;
        for (size_t i = 0; i < disk.lines.size(); ++i)
            if (disk.sectionOf[i] == section && !Trim(disk.lines[i]).empty()) last = i;
        for (const std::string& line : lines) after[last] += line + "\n";
    }
    std::string text;
    for (size_t i = 0; i < disk.lines.size(); ++i) {
        const auto line = replaced.find(i);
        text += (line != replaced.end() ? line->second : disk.lines[i]) + "\n";
        if (after.count(i)) text += after[i];
    }
    for (const std::string& section : newSections) {
        text += "\n[" + section + "]\n";
        for (const std::string& line : added[section]) text += line + "\n";
    }
    return text;
}

// Why a folder cannot hold the file, in the player's words.
std::string FolderProblem(const std::string& folder, const std::error_code& error)
{
    for (fs::path at = folder; !at.empty() && at != at.root_path(); at = at.parent_path()) {
        std::error_code ignored;
        if (fs::exists(at, ignored) && !fs::is_directory(at, ignored)) return at.string() + " is a file, not a folder";
    }
    return "cannot make the folder " + folder + ": " + error.message();
}

mode_t NewFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

TSettingsStore::TSettingsStore(std::string path) : path_(std::move(path)) {}

TSettingsStore TSettingsStore::FromEnvironment()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return TSettingsStore(std::string(xdg) + "/vexmoor/settings.ini");
    const char* home = std::getenv("HOME");
    if (home && *home) return TSettingsStore(std::string(home) + "/.config/vexmoor/settings.ini");
    std::cerr << "settings: neither XDG_CONFIG_HOME nor HOME is set; settings last for this run only" << std::endl;
    return TSettingsStore();
}

void TSettingsStore::Load(TSettings& settings)
{
    if (IsRunOnly()) return;
    base_ = settings;
    const std::string target = Target(path_);
    {
        TFolderLock lock(FolderOf(target), false);
        if (lock.Held()) RemoveTemporaries(target);
    }
    std::string text;
    std::string why;
    switch (ReadWhole(path_, text, why)) {
    case TReadResult::Missing:
        if (!why.empty()) std::cerr << "settings: " << path_ << " " << why << "; defaults used" << std::endl;
        return;
    case TReadResult::Unusable:
        return MoveAside(path_, why);
    case TReadResult::Read:
        break;
    }
    settings = Parse(text, settings, path_, true).settings;
    base_ = settings;
}

bool TSettingsStore::CanSave() const
{
    if (IsRunOnly()) return false;
    const std::string folder = FolderOf(Target(path_));
    std::error_code error;
    fs::create_directories(folder, error);
    std::string probe = folder + "/.settings.probe.XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

std::string TSettingsStore::Write(const TSettings& settings)
{
    const std::string target = Target(path_);
    const std::string folder = FolderOf(target);
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error)) return FolderProblem(folder, error);
    TFolderLock lock(folder, true);
    if (!lock.Held()) return std::string("cannot lock the folder: ") + std::strerror(errno);
    RemoveTemporaries(target);

    std::string old;
    std::string why;
    TParsedFile disk;
    switch (ReadWhole(target, old, why)) {
    case TReadResult::Read:
        disk = Parse(old, TSettings(), target, false);
        if (disk.faulty) KeepBadCopy(target, old);
        break;
    case TReadResult::Unusable:
        MoveAside(target, why);
        break;
    case TReadResult::Missing:
        break;
    }
    struct stat info {};
    const mode_t mode = ::stat(target.c_str(), &info) == 0 ? (info.st_mode & 07777) : NewFileMode();

    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return std::strerror(errno);
    const std::string text = Merge(disk, settings, base_);
    std::string failure;
    std::FILE* file = ::fdopen(fd, "wb");
    bool written = file && ::fchmod(fd, mode) == 0 && std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
                   std::fflush(file) == 0 && ::fsync(fd) == 0;
    if (!written) failure = std::strerror(errno);
    if (file ? std::fclose(file) != 0 : ::close(fd) != 0) {
        if (written) failure = std::strerror(errno);
        written = false;
    }
    const auto rename = renameStep ? renameStep : [](const std::string& from, const std::string& to) {
        return std::rename(from.c_str(), to.c_str()) == 0;
    };
    errno = 0;
    if (written && !rename(temp, target)) {
        failure = errno ? std::strerror(errno) : "the rename did not happen";
        written = false;
    }
    if (!written) {
        ::unlink(temp.c_str());
        return failure;
    }
    lock.Sync();
    base_ = settings;
    return "";
}

bool TSettingsStore::Save(const TSettings& settings)
{
    if (IsRunOnly()) return true;
    const std::string failure = Write(settings);
    lastSaveFailed_ = !failure.empty();
    if (lastSaveFailed_ && !failureReported_) {
        failureReported_ = true;
        std::cerr << "settings: cannot save " << path_ << " (" << failure << "); settings last for this run only"
                  << std::endl;
    }
    return !lastSaveFailed_;
}
