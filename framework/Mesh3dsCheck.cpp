// The walk mirrors what the engine's 3DS loader reads of each chunk it knows and
// requires that to fill the chunk exactly; chunks it does not know it skips by their
// length, and so does the walk. Each chunk is at least 6 bytes long and the nesting is
// bounded, so the walk ends on any input.
#include "framework/Mesh3dsCheck.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>

#include "base/RegularFile.h"

namespace {

constexpr int kMaxDepth = 32;

enum ChunkId : uint16_t {
    kMain = 0x4D4D,
    kVersion = 0x0002,
    kEditor = 0x3D3D,
    kMeshVersion = 0x3D3E,
    kOldMeshVersion = 0x0001,
    kKeyframer = 0xB000,
    kMaterial = 0xAFFF,
    kObject = 0x4000,
    kTriMesh = 0x4100,
    kVertices = 0x4110,
    kPointFlags = 0x4111,
    kFaces = 0x4120,
    kFaceMaterial = 0x4130,
    kSmoothing = 0x4150,
    kTexCoords = 0x4140,
    kMatrix = 0x4160,
    kMeshColor = 0x4165,
    kMatName = 0xA000,
    kMatAmbient = 0xA010,
    kMatDiffuse = 0xA020,
    kMatSpecular = 0xA030,
    kMatShininess = 0xA040,
    kMatTransparency = 0xA050,
    kMatTwoSide = 0xA081,
    kMatWire = 0xA085,
    kMatShading = 0xA100,
    kMatTexMap = 0xA200,
    kMatSpecMap = 0xA204,
    kMatOpacMap = 0xA210,
    kMatReflMap = 0xA220,
    kMatBumpMap = 0xA230,
    kMatMapFile = 0xA300,
    kMatTexTiling = 0xA351,
    kMatUScale = 0xA354,
    kMatVScale = 0xA356,
    kMatUOffset = 0xA358,
    kMatVOffset = 0xA35A,
    kColorFloat = 0x0010,
    kColor24 = 0x0011,
    kColorLinear24 = 0x0012,
    kColorLinearFloat = 0x0013,
    kPercentInt = 0x0030,
    kPercentFloat = 0x0031,
};

struct Chunk {
    uint16_t id;
    size_t start;  // of the header
    size_t end;    // one past the last byte
    size_t Data() const { return start + 6; }
    size_t Length() const { return end - start; }
};

// Where the walk stands in the loader's terms.
enum class Context { Top, Object, Material };

class Walk {
public:
    Walk(const std::vector<uint8_t>& bytes, const std::string& folder) : bytes_(bytes), folder_(folder) {}

    std::string Run()
    {
        if (bytes_.size() < 6 || U16(0) != kMain) return "is not a 3DS file";
        Chunk main{};
        if (!Header(0, bytes_.size(), main)) return problem_;
        Children(main, main.Data(), Context::Top, 1);
        return problem_;
    }

private:
    uint16_t U16(size_t at) const { return static_cast<uint16_t>(bytes_[at] | bytes_[at + 1] << 8); }
    uint32_t U32(size_t at) const
    {
        return static_cast<uint32_t>(bytes_[at]) | static_cast<uint32_t>(bytes_[at + 1]) << 8 |
               static_cast<uint32_t>(bytes_[at + 2]) << 16 | static_cast<uint32_t>(bytes_[at + 3]) << 24;
    }

    bool Damaged(const std::string& what, size_t at)
    {
        if (problem_.empty()) problem_ = "is damaged: " + what + " at byte " + std::to_string(at);
        return false;
    }

    // Reads the chunk header at `at`, which must lie with its whole chunk before `limit`.
    bool Header(size_t at, size_t limit, Chunk& chunk)
    {
        if (limit - at < 6) return Damaged("a chunk header cut short", at);
        const uint32_t length = U32(at + 2);
        chunk.id = U16(at);
        chunk.start = at;
        if (length < 6) return Damaged("a chunk of length " + std::to_string(length), at);
        if (length > limit - at) return Damaged("a chunk running past its end", at);
        chunk.end = at + length;
        return true;
    }

    // The chunks from `from` to the parent's end, which they must fill exactly.
    bool Children(const Chunk& parent, size_t from, Context context, int depth)
    {
        if (depth > kMaxDepth) return Damaged("chunks nested too deep", parent.start);
        for (size_t at = from; at < parent.end;) {
            Chunk chunk{};
            if (!Header(at, parent.end, chunk)) return false;
            if (!Visit(chunk, context, depth + 1)) return false;
            at = chunk.end;
        }
        return true;
    }

    bool Exactly(const Chunk& chunk, size_t dataBytes)
    {
        return chunk.Length() == 6 + dataBytes ? true : Damaged("a chunk of the wrong length", chunk.start);
    }

    // Index of the zero ending a name that starts at `at`, or npos when the chunk has none.
    size_t NameEnd(const Chunk& chunk, size_t at) const
    {
        for (size_t i = at; i < chunk.end; ++i)
            if (bytes_[i] == 0) return i;
        return std::string::npos;
    }

    bool Visit(const Chunk& chunk, Context context, int depth)
    {
        switch (context) {
        case Context::Top: return VisitTop(chunk, depth);
        case Context::Object: return VisitObject(chunk, depth);
        case Context::Material: return VisitMaterial(chunk, depth);
        }
        return true;
    }

    bool VisitTop(const Chunk& chunk, int depth)
    {
        switch (chunk.id) {
        case kVersion:
            return chunk.Length() >= 8 ? true : Damaged("a version chunk cut short", chunk.start);
        case kMeshVersion:
        case kOldMeshVersion: return Exactly(chunk, 4);
        case kEditor: return Children(chunk, chunk.Data(), Context::Top, depth);
        case kMaterial: return Children(chunk, chunk.Data(), Context::Material, depth);
        // The loader counts its keyframe header two bytes short and reads on from the wrong
        // place; the game uses no keyframes.
        case kKeyframer: return Damaged("keyframe data, which the loader cannot read", chunk.start);
        case kObject: {
            const size_t nameEnd = NameEnd(chunk, chunk.Data());
            if (nameEnd == std::string::npos) return Damaged("an object name without its end", chunk.start);
            faces_ = 0;
            groupFaces_ = 0;
            if (!Children(chunk, nameEnd + 1, Context::Object, depth)) return false;
            // The face groups index the object's last face list.
            return groupFaces_ <= faces_ ? true : Damaged("a face group naming a missing face", chunk.start);
        }
        default: return true;
        }
    }

    bool VisitObject(const Chunk& chunk, int depth)
    {
        const size_t data = chunk.Length() - 6;
        switch (chunk.id) {
        case kTriMesh: return Children(chunk, chunk.Data(), Context::Object, depth);
        case kVertices:
            if (data < 2) return Damaged("a vertex list cut short", chunk.start);
            return Exactly(chunk, 2 + 12 * size_t{U16(chunk.Data())});
        case kPointFlags:
            if (data < 2) return Damaged("a point list cut short", chunk.start);
            return Exactly(chunk, 2 + 2 * size_t{U16(chunk.Data())});
        case kTexCoords:
            if (data < 2) return Damaged("a texture coordinate list cut short", chunk.start);
            return Exactly(chunk, 2 + 8 * size_t{U16(chunk.Data())});
        case kFaces: {
            if (data < 2) return Damaged("a face list cut short", chunk.start);
            const size_t faces = U16(chunk.Data());
            if (data < 2 + 8 * faces) return Damaged("a face list cut short", chunk.start);
            faces_ = faces;
            return Children(chunk, chunk.Data() + 2 + 8 * faces, Context::Object, depth);
        }
        case kFaceMaterial: {
            const size_t nameEnd = NameEnd(chunk, chunk.Data());
            if (nameEnd == std::string::npos || chunk.end - nameEnd < 3)
                return Damaged("a face group cut short", chunk.start);
            const size_t count = U16(nameEnd + 1);
            if (chunk.end - (nameEnd + 3) != 2 * count) return Damaged("a face group of the wrong length", chunk.start);
            for (size_t i = 0; i < count; ++i) groupFaces_ = std::max(groupFaces_, size_t{U16(nameEnd + 3 + 2 * i)} + 1);
            return true;
        }
        case kSmoothing: return Exactly(chunk, 4 * faces_);
        case kMatrix: return Exactly(chunk, 48);
        case kMeshColor: return Exactly(chunk, 1);
        default: return true;
        }
    }

    // A color or percentage chunk holding one value chunk that the loader reads whole.
    bool ValueChunk(const Chunk& chunk, bool color)
    {
        Chunk value{};
        if (!Header(chunk.Data(), chunk.end, value)) return false;
        size_t expected = value.Length();
        if (color && (value.id == kColor24 || value.id == kColorLinear24)) expected = 6 + 3;
        if (color && (value.id == kColorFloat || value.id == kColorLinearFloat)) expected = 6 + 12;
        if (!color && value.id == kPercentInt) expected = 6 + 2;
        if (!color && value.id == kPercentFloat) expected = 6 + 4;
        if (value.Length() != expected) return Damaged("a value chunk of the wrong length", value.start);
        return Exactly(chunk, expected);
    }

    bool VisitMaterial(const Chunk& chunk, int depth)
    {
        switch (chunk.id) {
        case kMatName:
            return NameEnd(chunk, chunk.Data()) != std::string::npos ? true
                                                                    : Damaged("a material name without its end", chunk.start);
        case kMatAmbient:
        case kMatDiffuse:
        case kMatSpecular: return ValueChunk(chunk, true);
        case kMatShininess:
        case kMatTransparency: return ValueChunk(chunk, false);
        case kMatTwoSide:
        case kMatWire: return Exactly(chunk, 0);
        case kMatShading:
        case kMatTexTiling: return Exactly(chunk, 2);
        case kMatUScale:
        case kMatVScale:
        case kMatUOffset:
        case kMatVOffset: return Exactly(chunk, 4);
        case kPercentInt: return Exactly(chunk, 2);
        case kPercentFloat: return Exactly(chunk, 4);
        // The loader reads a map's chunks as if they were the material's own.
        case kMatTexMap:
        case kMatSpecMap:
        case kMatOpacMap:
        case kMatReflMap:
        case kMatBumpMap: return Children(chunk, chunk.Data(), Context::Material, depth);
        case kMatMapFile: return TextureName(chunk);
        default: return true;
        }
    }

    // The loader opens a texture by its name, and then by the mesh's folder and the name's
    // last part: a FIFO there would block it.
    bool TextureName(const Chunk& chunk)
    {
        const size_t nameEnd = NameEnd(chunk, chunk.Data());
        if (nameEnd == std::string::npos) return Damaged("a texture name without its end", chunk.start);
        const std::string name(reinterpret_cast<const char*>(&bytes_[chunk.Data()]), nameEnd - chunk.Data());
        const size_t slash = name.find_last_of("/\\");
        for (const std::string& candidate : {name, folder_ + "/" + name.substr(slash == std::string::npos ? 0 : slash + 1)}) {
            const std::string problem = RegularFileProblem(candidate);
            if (!problem.empty() && problem != "does not exist") {
                if (problem_.empty()) problem_ = "names the texture " + candidate + ", which " + problem;
                return false;
            }
        }
        return true;
    }

    const std::vector<uint8_t>& bytes_;
    std::string folder_;
    std::string problem_;
    size_t faces_ = 0;       // faces of the object being read
    size_t groupFaces_ = 0;  // one past the highest face its face groups name
};

}  // namespace

std::string Mesh3dsBytesProblem(const std::vector<uint8_t>& bytes, const std::string& folder)
{
    return Walk(bytes, folder).Run();
}

std::string Mesh3dsProblem(const std::string& path)
{
    const std::string notRegular = RegularFileProblem(path);
    if (!notRegular.empty()) return notRegular;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::string("cannot be opened (") + std::strerror(errno) + ")";
    const std::streamoff size = in.tellg();
    if (size < 0) return "cannot be read";
    if (size > kMaxMeshFileBytes)
        return "is " + std::to_string(size) + " bytes, more than the 16 MiB a mesh may have";
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return "cannot be read";
    const size_t slash = path.find_last_of('/');
    return Mesh3dsBytesProblem(bytes, slash == std::string::npos ? "." : path.substr(0, slash));
}
