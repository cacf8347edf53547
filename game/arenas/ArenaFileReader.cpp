#include "game/arenas/ArenaFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <map>
#include <vector>

#include "base/RegularFile.h"

namespace {

// Thrown inside the parser only; Parse turns it into its result.
struct Refusal {
    int line, column;
    std::string what;
};

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Length of the UTF-8 sequence that starts with `lead` and is well formed at `at`; 0 when
// it is not.
size_t Utf8Length(const std::string& text, size_t at)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
    if (lead >= 0xF5) length = 0;
    if (length == 0 || at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    // Overlong three- and four-byte forms, surrogates and code points past U+10FFFF.
    if (lead == 0xE0 && byte(at + 1) < 0xA0) return 0;
    if (lead == 0xED && byte(at + 1) >= 0xA0) return 0;
    if (lead == 0xF0 && byte(at + 1) < 0x90) return 0;
    if (lead == 0xF4 && byte(at + 1) >= 0x90) return 0;
    return length;
}

// The line and column of byte `offset`, columns counting characters.
std::pair<int, int> PlaceOf(const std::string& text, size_t offset)
{
    int line = 1, column = 1;
    for (size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return {line, column};
}

// Text is UTF-8 without control characters other than tab, carriage return and newline.
void RequireText(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F) {
                const auto [line, column] = PlaceOf(text, i);
                char hex[8];
                std::snprintf(hex, sizeof hex, "0x%02X", c);
                throw Refusal{line, column, std::string("not a text file (control byte ") + hex + ")"};
            }
            ++i;
            continue;
        }
        const size_t length = Utf8Length(text, i);
        if (length == 0) {
            const auto [line, column] = PlaceOf(text, i);
            throw Refusal{line, column, "not a text file (not UTF-8)"};
        }
        i += length;
    }
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    // A final newline ends the last line rather than starting an empty one.
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

float ParseNumber(const std::string& value, float low, float high, int line, int column, const std::string& key)
{
    float number = 0.0f;
    const auto result = std::from_chars(value.data(), value.data() + value.size(), number);
    if (result.ec != std::errc() || result.ptr != value.data() + value.size())
        throw Refusal{line, column, key + " '" + value + "' is not a number"};
    if (!(number >= low && number <= high))
        throw Refusal{line, column, key + " " + value + " is outside " + TArenaGrid::NumberText(low) + " to " + TArenaGrid::NumberText(high)};
    return number;
}

struct Header {
    std::optional<std::string> name;
    float cellSize = TArenaGrid::kDefaultCellSize;
    float wallHeight = TArenaGrid::kDefaultWallHeight;
};

// One "key = value" line before the grid.
void ReadSetting(const std::string& line, int number, std::map<std::string, int>& seen, Header& header)
{
    const size_t equals = line.find('=');
    const int keyColumn = static_cast<int>(line.find_first_not_of(" \t")) + 1;
    const std::string key = Lower(Trim(line.substr(0, equals)));
    const std::string value = Trim(line.substr(equals + 1));
    const size_t valueAt = line.find_first_not_of(" \t", equals + 1);
    const int valueColumn = valueAt == std::string::npos ? static_cast<int>(line.size()) + 1
                                                          : PlaceOf(line, valueAt).second;
    if (key != "name" && key != "cell size" && key != "wall height")
        throw Refusal{number, keyColumn, "unknown setting '" + key + "' (name, cell size, wall height)"};
    if (seen.count(key))
        throw Refusal{number, keyColumn, "'" + key + "' is set twice (first on line " + std::to_string(seen[key]) + ")"};
    seen[key] = number;
    if (key == "name") {
        if (value.empty() || value.size() > TArenaGrid::kMaxNameLength)
            throw Refusal{number, valueColumn, "the name must be 1 to " + std::to_string(TArenaGrid::kMaxNameLength) +
                                                   " characters"};
        for (size_t i = 0; i < value.size(); ++i)
            if (static_cast<unsigned char>(value[i]) < 0x20 || static_cast<unsigned char>(value[i]) > 0x7E)
                throw Refusal{number, valueColumn + static_cast<int>(i),
                              "the name may hold only plain letters, digits, spaces and punctuation"};
        header.name = value;
    } else if (key == "cell size") {
        header.cellSize =
            ParseNumber(value, TArenaGrid::kMinCellSize, TArenaGrid::kMaxCellSize, number, valueColumn, key);
    } else {
        header.wallHeight =
            ParseNumber(value, TArenaGrid::kMinWallHeight, TArenaGrid::kMaxWallHeight, number, valueColumn, key);
    }
}

TArenaGrid ParseLines(const std::vector<std::string>& lines)
{
    Header header;
    std::map<std::string, int> seen;
    size_t at = 0;
    for (; at < lines.size(); ++at) {
        const std::string trimmed = Trim(lines[at]);
        if (trimmed.empty() || trimmed[0] == ';') continue;
        if (trimmed.find('=') == std::string::npos) break;
        ReadSetting(lines[at], static_cast<int>(at) + 1, seen, header);
    }
    const int firstLine = static_cast<int>(at) + 1;
    if (at == lines.size()) throw Refusal{firstLine, 1, "no grid after the settings"};
    if (!header.name) throw Refusal{firstLine, 1, "no name: put a line 'name = ...' before the grid"};

    // The grid runs to the end of the file; blank lines may only follow it.
    std::vector<std::string> rows;
    for (size_t i = at; i < lines.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        std::string row = lines[i];
        row.erase(row.find_last_not_of(" \t") + 1);
        if (row.empty()) {
            for (size_t j = i + 1; j < lines.size(); ++j)
                if (!Trim(lines[j]).empty()) throw Refusal{number, 1, "blank line inside the grid"};
            break;
        }
        if (rows.size() == TArenaGrid::kMaxSide)
            throw Refusal{number, 1, "over " + std::to_string(TArenaGrid::kMaxSide) + " rows of cells"};
        if (row.size() > TArenaGrid::kMaxSide)
            throw Refusal{number, TArenaGrid::kMaxSide + 1,
                          "over " + std::to_string(TArenaGrid::kMaxSide) + " cells across"};
        rows.push_back(row);
    }

    const int columns = static_cast<int>(rows[0].size());
    TArenaGrid grid(*header.name, columns, static_cast<int>(rows.size()), header.cellSize, header.wallHeight);
    std::pair<int, int> respawnPlace[TArenaGrid::kMaxRespawns] = {};
    for (size_t r = 0; r < rows.size(); ++r) {
        const int line = firstLine + static_cast<int>(r);
        const std::string& row = rows[r];
        for (size_t c = 0; c < row.size() && c < static_cast<size_t>(columns); ++c) {
            const TCellPos cell{static_cast<int>(c), static_cast<int>(r)};
            const int column = static_cast<int>(c) + 1;
            const char ch = row[c];
            if (ch == TArenaGrid::kWallChar) {
                grid.Set(cell, TArenaCell::Wall);
            } else if (ch == TArenaGrid::kLowBlockChar) {
                grid.Set(cell, TArenaCell::LowBlock);
            } else if (ch >= '1' && ch < '1' + TArenaGrid::kMaxRespawns) {
                const int number = ch - '0';
                std::pair<int, int>& first = respawnPlace[number - 1];
                if (first.first != 0)
                    throw Refusal{line, column, "respawn point " + std::string(1, ch) + " appears twice (first on line " +
                                                    std::to_string(first.first) + ", column " +
                                                    std::to_string(first.second) + ")"};
                first = {line, column};
                grid.SetRespawn(number, cell);
            } else if (ch != TArenaGrid::kFloorChar) {
                const std::string shown = static_cast<unsigned char>(ch) < 0x80 ? "'" + std::string(1, ch) + "'"
                                                                                 : "a non-ASCII character";
                const std::string hint = row.find('=') != std::string::npos ? " (settings go before the grid)" : "";
                throw Refusal{line, PlaceOf(row, c).second,
                              shown + " is not an arena cell ('#' wall, '.' floor, 'o' low block, '1' to '6' respawn "
                                      "point)" + hint};
            }
        }
        if (row.size() != static_cast<size_t>(columns))
            throw Refusal{line, static_cast<int>(std::min(row.size(), static_cast<size_t>(columns))) + 1,
                          "this row is " + std::to_string(row.size()) + " cells long, the first " +
                              std::to_string(columns)};
    }
    if (const std::optional<TArenaFault> fault = grid.FindFault())
        throw Refusal{firstLine + fault->cell.row, fault->cell.column + 1, fault->what};
    return grid;
}

TArenaRead Refused(const std::string& source, int line, int column, const std::string& what)
{
    TArenaRead read;
    read.error = TArenaError{source, line, column, what};
    return read;
}

}  // namespace

std::string TArenaError::Message() const
{
    std::string text = "arena \"" + source + "\"";
    if (line > 0) text += ", line " + std::to_string(line) + ", column " + std::to_string(column);
    return text + ": " + what;
}

TArenaRead TArenaFileReader::Parse(const std::string& text, const std::string& source)
{
    try {
        if (text.size() > kMaxBytes) {
            const auto [line, column] = PlaceOf(text, kMaxBytes);
            throw Refusal{line, column, "over " + std::to_string(kMaxBytes / 1024) + " kB"};
        }
        RequireText(text);
        TArenaRead read;
        read.grid = ParseLines(Lines(text));
        return read;
    } catch (const Refusal& refusal) {
        return Refused(source, refusal.line, refusal.column, refusal.what);
    }
}

TArenaRead TArenaFileReader::ReadFile(const std::string& path)
{
    const std::string problem = RegularFileProblem(path);
    if (!problem.empty()) return Refused(path, 0, 0, "the file " + problem);
    // Non-blocking, in case the path was swapped for a FIFO since it was examined.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Refused(path, 0, 0, std::string("cannot be opened (") + std::strerror(errno) + ")");
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Refused(path, 0, 0, "the file is not a regular file");
    }
    // One byte past the limit is enough to know the file is too big.
    std::string text(kMaxBytes + 1, '\0');
    size_t length = 0;
    while (length < text.size()) {
        const ssize_t got = ::read(fd, &text[length], text.size() - length);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const std::string reason = std::strerror(errno);
            ::close(fd);
            return Refused(path, 0, 0, "cannot be read (" + reason + ")");
        }
        if (got == 0) break;
        length += static_cast<size_t>(got);
    }
    ::close(fd);
    text.resize(length);
    return Parse(text, path);
}
