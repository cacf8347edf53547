#include "game/arenas/ArenaMeshBuilder.h"

#include <vector>

using irr::core::vector3df;
using irr::scene::SMeshBuffer;

namespace {

constexpr irr::u32 kMaxVertices = 65535;

// Collects the quads of one kind of cell into buffers of at most kMaxVertices each.
class QuadSink {
public:
    explicit QuadSink(irr::scene::SMesh* mesh) : mesh_(mesh) {}

    // Corners in order round the quad; the triangles face along `normal`.
    void Add(const vector3df (&corner)[4], const vector3df& normal)
    {
        if (!buffer_ || buffer_->Vertices.size() + 4 > kMaxVertices) {
            buffer_ = new SMeshBuffer();
            buffer_->Material.Lighting = false;
            mesh_->addMeshBuffer(buffer_);
            buffer_->drop();
        }
        const irr::u16 first = static_cast<irr::u16>(buffer_->Vertices.size());
        for (const vector3df& p : corner)
            buffer_->Vertices.push_back(irr::video::S3DVertex(p, normal, irr::video::SColor(255, 255, 255, 255),
                                                              irr::core::vector2df(0.0f, 0.0f)));
        // The engine's front faces are those whose (b - a) x (c - a) points at the viewer.
        const bool forward = (corner[1] - corner[0]).crossProduct(corner[2] - corner[0]).dotProduct(normal) > 0.0f;
        const irr::u16 order[6] = {0, 1, 2, 0, 2, 3};
        for (int i = 0; i < 6; ++i)
            buffer_->Indices.push_back(static_cast<irr::u16>(first + (forward ? order[i] : order[5 - i])));
    }

private:
    irr::scene::SMesh* mesh_;
    SMeshBuffer* buffer_ = nullptr;
};

class Builder {
public:
    explicit Builder(const TArenaGrid& grid) : grid_(grid) {}

    void AddKind(TArenaCell kind, QuadSink& sink) const
    {
        const float height = HeightOf(kind);
        for (const auto& run : grid_.MergedRuns(kind)) {
            irr::core::aabbox3df box = grid_.CellBox(run.first);
            box.addInternalBox(grid_.CellBox(run.second));
            const vector3df& a = box.MinEdge;
            const vector3df& b = box.MaxEdge;
            sink.Add({{a.X, height, a.Z}, {a.X, height, b.Z}, {b.X, height, b.Z}, {b.X, height, a.Z}}, {0, 1, 0});
        }
        // East and west sides run down the columns, north and south sides along the rows.
        AddSides(kind, sink, 1, 0);
        AddSides(kind, sink, -1, 0);
        AddSides(kind, sink, 0, 1);
        AddSides(kind, sink, 0, -1);
    }

private:
    float HeightOf(TArenaCell kind) const
    {
        return kind == TArenaCell::Wall ? grid_.WallHeight() : kind == TArenaCell::LowBlock ? TArenaGrid::kLowBlockHeight
                                                                                             : 0.0f;
    }
    // Beyond the grid is open ground.
    float HeightAt(TCellPos cell) const { return grid_.Contains(cell) ? HeightOf(grid_.At(cell)) : 0.0f; }

    // The sides of `kind` cells that face (dc, dr) (a row step of +1 faces south), where
    // the neighbour is lower; equal sides of consecutive cells become one quad.
    void AddSides(TArenaCell kind, QuadSink& sink, int dc, int dr) const
    {
        const bool alongRows = dr != 0;
        const int lines = alongRows ? grid_.Rows() : grid_.Columns();
        const int length = alongRows ? grid_.Columns() : grid_.Rows();
        const float top = HeightOf(kind);
        for (int line = 0; line < lines; ++line) {
            int start = 0;
            float startBottom = 0.0f;
            bool open = false;
            for (int i = 0; i <= length; ++i) {
                const TCellPos cell = alongRows ? TCellPos{i, line} : TCellPos{line, i};
                const TCellPos beside{cell.column + dc, cell.row + dr};
                const bool face = i < length && grid_.At(cell) == kind && HeightAt(beside) < top;
                const float bottom = face ? HeightAt(beside) : 0.0f;
                if (open && (!face || bottom != startBottom)) {
                    Emit(sink, alongRows ? TCellPos{start, line} : TCellPos{line, start},
                         alongRows ? TCellPos{i - 1, line} : TCellPos{line, i - 1}, dc, dr, startBottom, top);
                    open = false;
                }
                if (face && !open) {
                    open = true;
                    start = i;
                    startBottom = bottom;
                }
            }
        }
    }

    // The side facing (dc, dr) of the cells from `first` to `last`, from `bottom` to `top`.
    void Emit(QuadSink& sink, TCellPos first, TCellPos last, int dc, int dr, float bottom, float top) const
    {
        irr::core::aabbox3df box = grid_.CellBox(first);
        box.addInternalBox(grid_.CellBox(last));
        const vector3df& a = box.MinEdge;
        const vector3df& b = box.MaxEdge;
        // Rows count southwards, towards -z.
        const vector3df normal(static_cast<float>(dc), 0.0f, static_cast<float>(-dr));
        if (dc != 0) {
            const float x = dc > 0 ? b.X : a.X;
            sink.Add({{x, bottom, a.Z}, {x, top, a.Z}, {x, top, b.Z}, {x, bottom, b.Z}}, normal);
        } else {
            const float z = dr < 0 ? b.Z : a.Z;
            sink.Add({{a.X, bottom, z}, {a.X, top, z}, {b.X, top, z}, {b.X, bottom, z}}, normal);
        }
    }

    const TArenaGrid& grid_;
};

}  // namespace

irr::scene::SMesh* TArenaMeshBuilder::Build(const TArenaGrid& grid)
{
    auto* mesh = new irr::scene::SMesh();
    const Builder builder(grid);
    for (TArenaCell kind : {TArenaCell::Wall, TArenaCell::LowBlock}) {
        QuadSink sink(mesh);
        builder.AddKind(kind, sink);
    }
    for (irr::u32 i = 0; i < mesh->getMeshBufferCount(); ++i) mesh->getMeshBuffer(i)->recalculateBoundingBox();
    mesh->recalculateBoundingBox();
    mesh->setHardwareMappingHint(irr::scene::EHM_STATIC);
    return mesh;
}

irr::scene::SAnimatedMesh* TArenaMeshBuilder::BuildAnimated(const TArenaGrid& grid)
{
    irr::scene::SMesh* mesh = Build(grid);
    auto* animated = new irr::scene::SAnimatedMesh(mesh);
    mesh->drop();
    animated->recalculateBoundingBox();
    return animated;
}

std::vector<irr::core::triangle3df> TArenaMeshBuilder::Triangles(irr::scene::IMesh* mesh)
{
    std::vector<irr::core::triangle3df> triangles;
    for (irr::u32 b = 0; mesh && b < mesh->getMeshBufferCount(); ++b) {
        irr::scene::IMeshBuffer* buffer = mesh->getMeshBuffer(b);
        const irr::u16* indices = buffer->getIndices();
        for (irr::u32 i = 0; i + 2 < buffer->getIndexCount(); i += 3)
            triangles.emplace_back(buffer->getPosition(indices[i]), buffer->getPosition(indices[i + 1]),
                                   buffer->getPosition(indices[i + 2]));
    }
    return triangles;
}
