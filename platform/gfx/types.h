// Basic types of the graphics layer: result codes, formats, pools, usages, plain records.
// Numbers are ours except where a data file stores them (formats, colours, the material and
// matrix layouts); those are written out in full with the reason beside them.
#pragma once

#include <cstdint>
#include <cstring>

namespace plat::gfx {

// Nothing throws across the layer: every call answers one of these.
enum class Result {
    Ok,
    InvalidCall,
    DeviceLost,
    DeviceNotReset,
    NotAvailable,
    OutOfVideoMemory,
    NotFound, // no depth surface, unknown file
    InvalidData, // an image file or token stream that does not read
};

inline bool Succeeded(Result result)
{
    return result == Result::Ok;
}
inline bool Failed(Result result)
{
    return result != Result::Ok;
}
const char* ResultName(Result result);

constexpr uint32_t FourCC(char a, char b, char c, char d)
{
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16
        | uint32_t(uint8_t(d)) << 24;
}

// Pixel, depth and index formats. The numbers are those texture and model files store (a TM
// header holds 21, 22, ...; a DDS file names its compressed formats by four-character code).
enum class Format : uint32_t {
    Unknown = 0,
    R8G8B8 = 20,
    A8R8G8B8 = 21,
    X8R8G8B8 = 22,
    R5G6B5 = 23,
    X1R5G5B5 = 24,
    A1R5G5B5 = 25,
    A4R4G4B4 = 26,
    A8 = 28,
    P8 = 41,
    V8U8 = 60,
    L6V5U5 = 61,
    X8L8V8U8 = 62,
    Dxt1 = FourCC('D', 'X', 'T', '1'),
    Dxt3 = FourCC('D', 'X', 'T', '3'),
    Dxt5 = FourCC('D', 'X', 'T', '5'),
    D32 = 71,
    D24S8 = 75,
    D24X8 = 77,
    D24X4S4 = 79,
    D16 = 80,
    Index16 = 101,
    Index32 = 102,
};

enum class DeviceType { Hal, Ref };

enum class ResourceType { Surface, Texture, VolumeTexture, CubeTexture, VertexBuffer, IndexBuffer };

enum class Pool { Default, Managed, SystemMem };

// Usage bits of resources and format queries.
namespace usage {
constexpr uint32_t kRenderTarget = 1u << 0;
constexpr uint32_t kDepthStencil = 1u << 1;
constexpr uint32_t kDynamic = 1u << 2;
constexpr uint32_t kWriteOnly = 1u << 3;
constexpr uint32_t kSoftwareProcessing = 1u << 4;
constexpr uint32_t kDoNotClip = 1u << 5;
constexpr uint32_t kPoints = 1u << 6;
constexpr uint32_t kAll = (1u << 7) - 1;
} // namespace usage

// Lock flags.
namespace lock {
constexpr uint32_t kReadOnly = 1u << 0;
constexpr uint32_t kDiscard = 1u << 1;
constexpr uint32_t kNoOverwrite = 1u << 2;
constexpr uint32_t kNoDirtyUpdate = 1u << 3;
constexpr uint32_t kNoSysLock = 1u << 4;
constexpr uint32_t kAll = (1u << 5) - 1;
} // namespace lock

// Clear flags.
namespace clear {
constexpr uint32_t kTarget = 1u << 0;
constexpr uint32_t kZBuffer = 1u << 1;
constexpr uint32_t kStencil = 1u << 2;
} // namespace clear

// Device creation behaviour.
namespace create {
constexpr uint32_t kSoftwareVertexProcessing = 1u << 0;
constexpr uint32_t kHardwareVertexProcessing = 1u << 1;
constexpr uint32_t kMixedVertexProcessing = 1u << 2;
constexpr uint32_t kPureDevice = 1u << 3;
constexpr uint32_t kMultithreaded = 1u << 4;
constexpr uint32_t kFpuPreserve = 1u << 5;
} // namespace create

enum class MultiSample : uint32_t {
    None = 0,
    Samples2 = 2,
    Samples3,
    Samples4,
    Samples5,
    Samples6,
    Samples7,
    Samples8
};

enum class SwapEffect { Discard, Flip, Copy };

enum class PresentInterval { Default, One, Two, Immediate };

// Present flags.
namespace present {
constexpr uint32_t kLockableBackBuffer = 1u << 0;
} // namespace present

enum class PrimitiveType { PointList, LineList, LineStrip, TriangleList, TriangleStrip, TriangleFan };

// A colour packed as stored in vertex and model data: 0xAARRGGBB.
using Color = uint32_t;

constexpr Color MakeArgb(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return (a & 255) << 24 | (r & 255) << 16 | (g & 255) << 8 | (b & 255);
}

struct ColorValue {
    float r = 0, g = 0, b = 0, a = 0;
};

constexpr ColorValue ToColorValue(Color color)
{
    return { float((color >> 16) & 255) / 255.0f, float((color >> 8) & 255) / 255.0f,
        float(color & 255) / 255.0f, float(color >> 24) / 255.0f };
}

struct Vector3 {
    float x = 0, y = 0, z = 0;
};

struct Vector4 {
    float x = 0, y = 0, z = 0, w = 0;
};

// Row-major 4x4 on row vectors (v' = v * M), translation in row 3, as the game's data holds it.
struct Matrix {
    float m[4][4] = {};

    static Matrix Identity()
    {
        Matrix r;
        for (int i = 0; i < 4; ++i)
            r.m[i][i] = 1;
        return r;
    }
    bool operator==(const Matrix& other) const { return std::memcmp(m, other.m, sizeof m) == 0; }
};
static_assert(sizeof(Matrix) == 64);

Matrix Multiply(const Matrix& a, const Matrix& b);

// The material record of model files: four colours r, g, b, a and the power, 68 bytes.
struct Material {
    ColorValue diffuse;
    ColorValue ambient;
    ColorValue specular;
    ColorValue emissive;
    float power = 0;
};
static_assert(sizeof(Material) == 68);

enum class LightType : uint32_t { Point = 1, Spot, Directional };

// Light record in the order the game fills it.
struct Light {
    LightType type = LightType::Directional;
    ColorValue diffuse;
    ColorValue specular;
    ColorValue ambient;
    Vector3 position;
    Vector3 direction;
    float range = 0;
    float falloff = 0;
    float attenuation0 = 0;
    float attenuation1 = 0;
    float attenuation2 = 0;
    float theta = 0;
    float phi = 0;
};
static_assert(sizeof(Light) == 104);

struct Viewport {
    uint32_t x = 0, y = 0, width = 0, height = 0;
    float minZ = 0, maxZ = 1;
};
static_assert(sizeof(Viewport) == 24);

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct Point {
    int32_t x = 0, y = 0;
};

struct DisplayMode {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t refreshRate = 0;
    Format format = Format::Unknown;
    bool operator==(const DisplayMode&) const = default;
};

class DeviceWindow;

struct PresentParameters {
    uint32_t backBufferWidth = 0; // 0 in a window: the client size
    uint32_t backBufferHeight = 0;
    Format backBufferFormat = Format::Unknown;
    uint32_t backBufferCount = 1;
    MultiSample multiSample = MultiSample::None;
    SwapEffect swapEffect = SwapEffect::Discard;
    DeviceWindow* window = nullptr;
    bool windowed = true;
    bool enableAutoDepthStencil = false;
    Format autoDepthStencilFormat = Format::Unknown;
    uint32_t flags = 0; // present::
    uint32_t refreshRate = 0;
    PresentInterval presentationInterval = PresentInterval::Default;
};

struct GammaRamp {
    uint16_t red[256] = {};
    uint16_t green[256] = {};
    uint16_t blue[256] = {};

    static GammaRamp Identity();
    bool operator==(const GammaRamp& other) const { return std::memcmp(this, &other, sizeof *this) == 0; }
};

struct SurfaceDesc {
    Format format = Format::Unknown;
    ResourceType type = ResourceType::Surface;
    uint32_t usage = 0;
    Pool pool = Pool::Default;
    uint32_t size = 0;
    MultiSample multiSample = MultiSample::None;
    uint32_t width = 0;
    uint32_t height = 0;
};

struct BufferDesc {
    Format format = Format::Unknown; // Index16 for index buffers, Unknown for vertex buffers
    ResourceType type = ResourceType::VertexBuffer;
    uint32_t usage = 0;
    Pool pool = Pool::Default;
    uint32_t size = 0;
    uint32_t fvf = 0; // vertex buffers
};

struct LockedRect {
    int32_t pitch = 0;
    void* bits = nullptr;
};

// Float render and stage states travel as their bits, as the game passes them.
inline uint32_t FloatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

inline float BitsFloat(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

const char* FormatName(Format format);
const char* PoolName(Pool pool);

} // namespace plat::gfx
