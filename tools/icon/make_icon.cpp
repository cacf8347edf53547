// make_icon MESH OUTDIR: draws the game's desktop icon from the tank model, one PNG per
// size (vexmoor_256.png ... vexmoor_32.png). The engine's NULL device loads the 3DS file
// and writes the PNGs; the triangles are rasterized here, so neither a display nor a GPU
// is needed and the pictures come out the same on every machine.
#include <irrlicht.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

using namespace irr;

namespace {

constexpr int kSupersample = 4;
const int kSizes[] = {256, 128, 64, 48, 32};

// Colors of the game's third scheme: the ground, the tank, the arena walls.
struct Rgb {
    float r, g, b;
};
const Rgb kBadge{112, 16, 15};
const Rgb kRim{234, 170, 42};
const Rgb kTank{110, 121, 212};
const Rgb kOutline{20, 16, 30};

struct Triangle {
    core::vector3df p[3];  // in view space: x right, y up, z away from the viewer
    float shade;
};

// The tank seen from the front left and above, lit from the upper left.
std::vector<Triangle> ViewTriangles(scene::IMesh* mesh)
{
    core::matrix4 view;
    view.buildCameraLookAtMatrixLH(core::vector3df(-2.2f, 2.0f, 2.6f), core::vector3df(0, 0.2f, 0),
                                   core::vector3df(0, 1, 0));
    core::vector3df light(-0.45f, 0.8f, -0.4f);
    light.normalize();

    std::vector<Triangle> out;
    for (u32 b = 0; b < mesh->getMeshBufferCount(); ++b) {
        scene::IMeshBuffer* buffer = mesh->getMeshBuffer(b);
        if (buffer->getVertexType() != video::EVT_STANDARD || buffer->getIndexType() != video::EIT_16BIT) continue;
        const video::S3DVertex* v = static_cast<const video::S3DVertex*>(buffer->getVertices());
        const u16* index = buffer->getIndices();
        for (u32 i = 0; i + 2 < buffer->getIndexCount(); i += 3) {
            Triangle t;
            core::vector3df normal;
            for (int k = 0; k < 3; ++k) {
                view.transformVect(t.p[k], v[index[i + k]].Pos);
                normal += v[index[i + k]].Normal;
            }
            core::vector3df facing = normal;
            view.rotateVect(facing);
            if (facing.Z >= 0.0f) continue;  // turned away from the viewer
            normal.normalize();
            const float lambert = std::max(0.0f, normal.dotProduct(light));
            t.shade = 0.45f + 0.55f * lambert;
            out.push_back(t);
        }
    }
    return out;
}

struct Canvas {
    int size;
    std::vector<float> depth;
    std::vector<Rgb> color;
    std::vector<bool> covered;

    explicit Canvas(int n)
        : size(n), depth(n * n, std::numeric_limits<float>::max()), color(n * n), covered(n * n, false)
    {
    }

    // Fills a triangle given in pixel coordinates (y down), keeping the nearest surface.
    void Fill(const core::vector3df& a, const core::vector3df& b, const core::vector3df& c, const Rgb& rgb)
    {
        const float area = (b.X - a.X) * (c.Y - a.Y) - (b.Y - a.Y) * (c.X - a.X);
        if (std::fabs(area) < 1e-12f) return;
        const int x0 = std::max(0, static_cast<int>(std::floor(std::min({a.X, b.X, c.X}))));
        const int x1 = std::min(size - 1, static_cast<int>(std::ceil(std::max({a.X, b.X, c.X}))));
        const int y0 = std::max(0, static_cast<int>(std::floor(std::min({a.Y, b.Y, c.Y}))));
        const int y1 = std::min(size - 1, static_cast<int>(std::ceil(std::max({a.Y, b.Y, c.Y}))));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const float px = x + 0.5f, py = y + 0.5f;
                const float w0 = ((b.X - px) * (c.Y - py) - (b.Y - py) * (c.X - px)) / area;
                const float w1 = ((c.X - px) * (a.Y - py) - (c.Y - py) * (a.X - px)) / area;
                const float w2 = 1.0f - w0 - w1;
                if (w0 < 0.0f || w1 < 0.0f || w2 < 0.0f) continue;
                const float z = w0 * a.Z + w1 * b.Z + w2 * c.Z;
                const int i = y * size + x;
                if (z >= depth[i]) continue;
                depth[i] = z;
                color[i] = rgb;
                covered[i] = true;
            }
        }
    }
};

// Whether pixel (x, y) lies inside a square of side n with corners rounded by radius r.
bool InRoundedSquare(float x, float y, float n, float r)
{
    const float cx = std::clamp(x, r, n - r);
    const float cy = std::clamp(y, r, n - r);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

bool WriteIcon(video::IVideoDriver* driver, const std::vector<Triangle>& triangles, int size, const std::string& path)
{
    const int n = size * kSupersample;
    Canvas canvas(n);

    // Fit the tank's picture into the middle of the badge.
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const Triangle& t : triangles)
        for (const core::vector3df& p : t.p) {
            minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
            minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
        }
    const float span = std::max(maxX - minX, maxY - minY);
    const float scale = n * 0.74f / span;
    const float offX = n * 0.5f - (minX + maxX) * 0.5f * scale;
    const float offY = n * 0.5f + (minY + maxY) * 0.5f * scale;
    for (const Triangle& t : triangles) {
        core::vector3df q[3];
        for (int k = 0; k < 3; ++k) q[k] = core::vector3df(offX + t.p[k].X * scale, offY - t.p[k].Y * scale, t.p[k].Z);
        canvas.Fill(q[0], q[1], q[2], Rgb{kTank.r * t.shade, kTank.g * t.shade, kTank.b * t.shade});
    }

    // A dark line round the tank's silhouette keeps it readable at the small sizes.
    const int line = std::max(2, n / 64);
    std::vector<bool> outline(n * n, false);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            if (canvas.covered[y * n + x]) continue;
            for (int dy = -line; dy <= line && !outline[y * n + x]; ++dy)
                for (int dx = -line; dx <= line; ++dx) {
                    const int sx = x + dx, sy = y + dy;
                    if (sx < 0 || sy < 0 || sx >= n || sy >= n || dx * dx + dy * dy > line * line) continue;
                    if (canvas.covered[sy * n + sx]) {
                        outline[y * n + x] = true;
                        break;
                    }
                }
        }

    const float radius = n * 0.18f, rim = n * 0.035f;
    video::IImage* image = driver->createImage(video::ECF_A8R8G8B8, core::dimension2d<u32>(size, size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSupersample; ++sy)
                for (int sx = 0; sx < kSupersample; ++sx) {
                    const int px = x * kSupersample + sx, py = y * kSupersample + sy;
                    const float fx = px + 0.5f, fy = py + 0.5f;
                    if (!InRoundedSquare(fx, fy, n, radius)) continue;
                    const int i = py * n + px;
                    Rgb c = kRim;
                    if (canvas.covered[i])
                        c = canvas.color[i];
                    else if (outline[i])
                        c = kOutline;
                    else if (InRoundedSquare(fx - rim, fy - rim, n - 2 * rim, radius - rim))
                        c = kBadge;
                    r += c.r, g += c.g, b += c.b, a += 1.0f;
                }
            video::SColor pixel(0, 0, 0, 0);
            if (a > 0.0f) {
                const auto channel = [&](float v) { return static_cast<u32>(std::lround(std::clamp(v / a, 0.0f, 255.0f))); };
                const u32 alpha = static_cast<u32>(std::lround(255.0f * a / (kSupersample * kSupersample)));
                pixel = video::SColor(alpha, channel(r), channel(g), channel(b));
            }
            image->setPixel(x, y, pixel);
        }
    }
    const bool ok = driver->writeImageToFile(image, path.c_str());
    image->drop();
    if (!ok) std::fprintf(stderr, "make_icon: cannot write %s\n", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_icon MESH OUTDIR\n");
        return 2;
    }
    IrrlichtDevice* device = createDevice(video::EDT_NULL);
    if (!device) return 1;
    device->getLogger()->setLogLevel(ELL_ERROR);
    scene::IAnimatedMesh* mesh = device->getSceneManager()->getMesh(argv[1]);
    if (!mesh || !mesh->getMesh(0)) {
        std::fprintf(stderr, "make_icon: cannot load %s\n", argv[1]);
        device->drop();
        return 1;
    }
    const std::vector<Triangle> triangles = ViewTriangles(mesh->getMesh(0));
    bool ok = !triangles.empty();
    for (int size : kSizes)
        ok &= WriteIcon(device->getVideoDriver(), triangles, size,
                        std::string(argv[2]) + "/vexmoor_" + std::to_string(size) + ".png");
    device->drop();
    return ok ? 0 : 1;
}
