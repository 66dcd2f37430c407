// Resources: textures, targets, depth surfaces and buffers as GL objects mirroring the
// front's system copies. Uploads keep D3D row order (the top row first), so v = 0 is the top
// row for files and targets alike; framebuffers hold their top row first too.
#include "platform/gfx/gl/gl_device.h"

#include "platform/gfx/d3dx/dxt.h"
#include "platform/gfx/format.h"
#include "platform/win/debug.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace plat::gfx::gl {
namespace {

void Log(const std::string& text)
{
    win::DebugOutput("plat::gfx::gl: " + text);
}

struct FormatRow {
    Format format;
    GlFormat texture; // sampled
    GlFormat target; // rendered into (internal 0: not renderable)
};

constexpr GlFormat Plain(GLenum internal, GLenum format, GLenum type, uint32_t bytes, bool alphaOne = false)
{
    GlFormat f;
    f.internal = internal;
    f.format = format;
    f.type = type;
    f.bytes = bytes;
    f.alphaOne = alphaOne;
    return f;
}

constexpr GlFormat Compressed(GLenum internal)
{
    GlFormat f;
    f.internal = internal;
    f.compressed = true;
    return f;
}

constexpr GlFormat Depth(GLenum internal, bool stencil)
{
    GlFormat f;
    f.internal = internal;
    f.depth = true;
    f.stencil = stencil;
    return f;
}

constexpr GlFormat kNone {};

const FormatRow kFormats[] = {
    { Format::A8R8G8B8, Plain(GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 4),
        Plain(GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 4) },
    // X8: alpha swizzled to 1 when sampled; a target has no alpha to blend with either.
    { Format::X8R8G8B8, Plain(GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 4, true),
        Plain(GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 4) },
    { Format::R5G6B5, Plain(GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2),
        Plain(GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2) },
    { Format::A4R4G4B4, Plain(GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, 2), kNone },
    { Format::A1R5G5B5, Plain(GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2), kNone },
    { Format::V8U8, Plain(GL_RG8_SNORM, GL_RG, GL_BYTE, 2), kNone },
    { Format::Dxt1, Compressed(GL_COMPRESSED_RGBA_S3TC_DXT1_EXT), kNone },
    { Format::Dxt3, Compressed(GL_COMPRESSED_RGBA_S3TC_DXT3_EXT), kNone },
    { Format::Dxt5, Compressed(GL_COMPRESSED_RGBA_S3TC_DXT5_EXT), kNone },
    { Format::D24S8, kNone, Depth(GL_DEPTH24_STENCIL8, true) },
    { Format::D24X8, kNone, Depth(GL_DEPTH_COMPONENT24, false) },
    { Format::D16, kNone, Depth(GL_DEPTH_COMPONENT16, false) },
};

// DXT levels decode to this when the driver lacks s3tc.
constexpr GlFormat kDecoded = [] {
    GlFormat f = Plain(GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 4);
    f.decoded = true;
    return f;
}();

// GL reports allocation failures as errors; anything else pending is dropped first.
void DrainErrors()
{
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) { }
}

Result AllocationResult(const char* what)
{
    GLenum error = glGetError();
    DrainErrors();
    if (error == GL_NO_ERROR)
        return Result::Ok;
    Log(std::string(what) + ": GL error " + std::to_string(error));
    return error == GL_OUT_OF_MEMORY ? Result::OutOfVideoMemory : Result::InvalidCall;
}

bool IsColorTarget(const Surface& surface)
{
    return surface.Role() == SurfaceRole::BackBuffer || surface.Role() == SurfaceRole::RenderTarget;
}

bool IsDepth(const Surface& surface)
{
    return surface.Role() == SurfaceRole::DepthStencil || surface.Role() == SurfaceRole::AutoDepth;
}

// The block rectangle of a rectangle of a compressed level, in pixels and clipped to it.
Rect BlockRect(const Rect& rect, uint32_t width, uint32_t height)
{
    return { rect.left & ~3, rect.top & ~3, std::min(int32_t(width), (rect.right + 3) & ~3),
        std::min(int32_t(height), (rect.bottom + 3) & ~3) };
}

} // namespace

const GlFormat* MapFormat(Format format, bool target, bool s3tc)
{
    for (const FormatRow& row : kFormats) {
        if (row.format != format)
            continue;
        const GlFormat& f = target ? row.target : row.texture;
        if (f.internal == 0)
            return nullptr;
        if (f.compressed && !s3tc)
            return &kDecoded;
        return &f;
    }
    return nullptr;
}

// ---- Creation ----

Result GlDevice::CreateSurface(Surface& surface)
{
    if (surface.GetPool() == Pool::SystemMem || surface.Role() == SurfaceRole::Image
        || surface.Role() == SurfaceRole::TextureLevel)
        return Result::Ok;
    bool depth = IsDepth(surface);
    const GlFormat* format = MapFormat(surface.GetFormat(), true, m_s3tc);
    if (!format || format->depth != depth) {
        Log(std::string("CreateSurface: no GL format for ") + FormatName(surface.GetFormat()));
        return Result::InvalidCall;
    }
    if (!Current())
        return Result::NotAvailable;
    DrainErrors();
    auto object = std::make_unique<SurfaceObject>();
    object->format = *format;
    GLsizei samples = GLsizei(surface.GetMultiSample());
    if (samples > 0)
        samples = std::min<GLsizei>(samples, GLsizei(GetDriverInfo().maxSamples));
    object->samples = samples;
    if (depth || samples > 0) {
        glGenRenderbuffers(1, &object->renderbuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, object->renderbuffer);
        if (samples > 0)
            glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format->internal,
                GLsizei(surface.Width()), GLsizei(surface.Height()));
        else
            glRenderbufferStorage(
                GL_RENDERBUFFER, format->internal, GLsizei(surface.Width()), GLsizei(surface.Height()));
    } else {
        glGenTextures(1, &object->texture);
        m_state.BindTexture(StateCache::kUploadUnit, object->texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(surface.Pitch() / format->bytes));
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(format->internal), GLsizei(surface.Width()),
            GLsizei(surface.Height()), 0, format->format, format->type, surface.Bits());
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    }
    Result result = AllocationResult("CreateSurface");
    if (Failed(result)) {
        if (object->renderbuffer)
            glDeleteRenderbuffers(1, &object->renderbuffer);
        if (object->texture) {
            m_state.ForgetTexture(object->texture);
            glDeleteTextures(1, &object->texture);
        }
        return result;
    }
    surface.SetBackendData(std::move(object));
    return Result::Ok;
}

Result GlDevice::CreateTexture(Texture& texture)
{
    if (texture.GetPool() == Pool::SystemMem)
        return Result::Ok;
    bool target = (texture.GetUsage() & usage::kRenderTarget) != 0;
    const GlFormat* format = MapFormat(texture.GetFormat(), target, m_s3tc);
    if (!format || format->depth) {
        Log(std::string("CreateTexture: no GL format for ") + FormatName(texture.GetFormat()));
        return Result::InvalidCall;
    }
    if (!Current())
        return Result::NotAvailable;
    DrainErrors();
    auto object = std::make_unique<TextureObject>();
    object->format = *format;
    for (uint32_t level = 0; level < texture.GetLevelCount(); ++level)
        object->levelIds.push_back(texture.Level(level).Id());
    glGenTextures(1, &object->name);
    m_state.BindTexture(StateCache::kUploadUnit, object->name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(texture.GetLevelCount()) - 1);
    if (format->alphaOne)
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    // The system copy is zero at creation; so is the GL copy.
    std::vector<uint8_t> zeros(texture.Level(0).ByteSize() * (format->decoded ? 8 : 1) + 64, 0);
    for (uint32_t level = 0; level < texture.GetLevelCount(); ++level) {
        const Surface& s = texture.Level(level);
        if (format->compressed) {
            uint32_t size
                = ((s.Width() + 3) / 4) * ((s.Height() + 3) / 4) * d3dx::DxtBlockBytes(texture.GetFormat());
            glCompressedTexImage2D(GL_TEXTURE_2D, GLint(level), format->internal, GLsizei(s.Width()),
                GLsizei(s.Height()), 0, GLsizei(size), zeros.data());
        } else {
            glTexImage2D(GL_TEXTURE_2D, GLint(level), GLint(format->internal), GLsizei(s.Width()),
                GLsizei(s.Height()), 0, format->format, format->type, zeros.data());
        }
    }
    Result result = AllocationResult("CreateTexture");
    if (Failed(result)) {
        m_state.ForgetTexture(object->name);
        glDeleteTextures(1, &object->name);
        return result;
    }
    texture.SetBackendData(std::move(object));
    if (format->decoded) // zero blocks decode to opaque black
        for (uint32_t level = 0; level < texture.GetLevelCount(); ++level)
            UploadLevel(texture, level, texture.Level(level).FullRect());
    return Result::Ok;
}

namespace {

Result CreateBuffer(Buffer& buffer, bool dynamic)
{
    DrainErrors();
    auto object = std::make_unique<BufferObject>();
    glGenBuffers(1, &object->name);
    glBindBuffer(GL_COPY_WRITE_BUFFER, object->name);
    glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(buffer.Size()), buffer.Bytes(),
        dynamic ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    Result result = AllocationResult("CreateBuffer");
    if (Failed(result)) {
        glDeleteBuffers(1, &object->name);
        return result;
    }
    buffer.SetBackendData(std::move(object));
    return Result::Ok;
}

} // namespace

Result GlDevice::CreateVertexBuffer(VertexBuffer& buffer)
{
    if (!Current())
        return Result::NotAvailable;
    return CreateBuffer(buffer, (buffer.GetUsage() & usage::kDynamic) != 0);
}

Result GlDevice::CreateIndexBuffer(IndexBuffer& buffer)
{
    if (!Current())
        return Result::NotAvailable;
    return CreateBuffer(buffer, (buffer.GetUsage() & usage::kDynamic) != 0);
}

// Called from the resource's destructor: only its id, type and backend object are still there.
void GlDevice::DestroyResource(Resource& resource)
{
    // A name the last draw bound may come back for a new object.
    m_drawnChanges = kNoDraw;
    if (!Current())
        return;
    switch (resource.GetType()) {
    case ResourceType::Texture:
        if (auto* object = static_cast<TextureObject*>(resource.BackendData())) {
            for (uint32_t id : object->levelIds)
                DropFramebuffers(id);
            m_state.ForgetTexture(object->name);
            glDeleteTextures(1, &object->name);
        }
        break;
    case ResourceType::Surface:
        DropFramebuffers(resource.Id());
        if (auto* object = static_cast<SurfaceObject*>(resource.BackendData())) {
            if (object->texture) {
                m_state.ForgetTexture(object->texture);
                glDeleteTextures(1, &object->texture);
            }
            if (object->renderbuffer)
                glDeleteRenderbuffers(1, &object->renderbuffer);
            if (object->resolveFramebuffer) {
                m_state.ForgetFramebuffer(object->resolveFramebuffer);
                glDeleteFramebuffers(1, &object->resolveFramebuffer);
            }
            if (object->resolveTexture) {
                m_state.ForgetTexture(object->resolveTexture);
                glDeleteTextures(1, &object->resolveTexture);
            }
        }
        break;
    case ResourceType::VertexBuffer:
    case ResourceType::IndexBuffer:
        if (auto* object = static_cast<BufferObject*>(resource.BackendData())) {
            DropVertexArrays(object->name);
            m_state.ForgetBuffer(object->name);
            glDeleteBuffers(1, &object->name);
        }
        break;
    default:
        break;
    }
    resource.SetBackendData(nullptr);
}

// ---- Uploads ----

void GlDevice::UploadLevel(Texture& texture, uint32_t level, const Rect& rect)
{
    auto* object = static_cast<TextureObject*>(texture.BackendData());
    if (!object || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    const Surface& s = texture.Level(level);
    const GlFormat& f = object->format;
    m_state.BindTexture(StateCache::kUploadUnit, object->name);
    if (f.compressed || f.decoded) {
        Rect r = BlockRect(rect, s.Width(), s.Height());
        uint32_t blockBytes = d3dx::DxtBlockBytes(texture.GetFormat());
        const uint8_t* first = s.Bits() + size_t(r.top / 4) * s.Pitch() + size_t(r.left / 4) * blockBytes;
        if (f.compressed) {
            uint32_t rowBytes = uint32_t((r.Width() + 3) / 4) * blockBytes;
            uint32_t rows = uint32_t((r.Height() + 3) / 4);
            std::vector<uint8_t> blocks(size_t(rowBytes) * rows);
            for (uint32_t row = 0; row < rows; ++row)
                std::memcpy(
                    blocks.data() + size_t(row) * rowBytes, first + size_t(row) * s.Pitch(), rowBytes);
            glCompressedTexSubImage2D(GL_TEXTURE_2D, GLint(level), r.left, r.top, r.Width(), r.Height(),
                f.internal, GLsizei(blocks.size()), blocks.data());
        } else {
            std::vector<uint32_t> pixels(size_t(r.Width()) * size_t(r.Height()));
            d3dx::DecodeDxt(texture.GetFormat(), first, s.Pitch(), uint32_t(r.Width()), uint32_t(r.Height()),
                pixels.data(), uint32_t(r.Width()));
            glTexSubImage2D(GL_TEXTURE_2D, GLint(level), r.left, r.top, r.Width(), r.Height(), f.format,
                f.type, pixels.data());
        }
        return;
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(s.Pitch() / f.bytes));
    glTexSubImage2D(GL_TEXTURE_2D, GLint(level), rect.left, rect.top, rect.Width(), rect.Height(), f.format,
        f.type, s.Bits() + size_t(rect.top) * s.Pitch() + size_t(rect.left) * f.bytes);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

void GlDevice::UploadTargetRect(Surface& surface, const Rect& rect)
{
    auto* object = static_cast<SurfaceObject*>(surface.BackendData());
    if (!object || !object->texture || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    const GlFormat& f = object->format;
    m_state.BindTexture(StateCache::kUploadUnit, object->texture);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(surface.Pitch() / f.bytes));
    glTexSubImage2D(GL_TEXTURE_2D, 0, rect.left, rect.top, rect.Width(), rect.Height(), f.format, f.type,
        surface.Bits() + size_t(rect.top) * surface.Pitch() + size_t(rect.left) * f.bytes);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

void GlDevice::UploadSurface(Surface& surface, const Rect& rect)
{
    if (!Current())
        return;
    if (Texture* container = surface.Container())
        UploadLevel(*container, surface.Level(), rect);
    else if (IsColorTarget(surface))
        UploadTargetRect(surface, rect);
}

void GlDevice::UploadBuffer(Buffer& buffer, uint32_t offset, uint32_t size, uint32_t lockFlags)
{
    auto* object = static_cast<BufferObject*>(buffer.BackendData());
    if (!object || size == 0 || !Current())
        return;
    glBindBuffer(GL_COPY_WRITE_BUFFER, object->name);
    if (lockFlags & lock::kDiscard) {
        // Orphan: draws in flight keep the old storage; the rest is undefined, as on the platform.
        bool dynamic = (buffer.GetUsage() & usage::kDynamic) != 0;
        glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(buffer.Size()), nullptr,
            dynamic ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    }
    glBufferSubData(GL_COPY_WRITE_BUFFER, GLintptr(offset), GLsizeiptr(size), buffer.Bytes() + offset);
}

// ---- Framebuffers ----

GLuint GlDevice::ColorTextureOf(Surface& surface, GLint& level)
{
    level = 0;
    if (Texture* container = surface.Container()) {
        auto* object = static_cast<TextureObject*>(container->BackendData());
        level = GLint(surface.Level());
        return object ? object->name : 0;
    }
    auto* object = static_cast<SurfaceObject*>(surface.BackendData());
    return object ? object->texture : 0;
}

GLuint GlDevice::FramebufferFor(Surface* color, Surface* depth)
{
    std::pair<uint32_t, uint32_t> key { color ? color->Id() : 0, depth ? depth->Id() : 0 };
    auto it = m_framebuffers.find(key);
    if (it != m_framebuffers.end())
        return it->second;
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    m_state.BindDrawFramebuffer(framebuffer);
    if (color) {
        auto* object = static_cast<SurfaceObject*>(color->BackendData());
        if (object && object->renderbuffer) {
            glFramebufferRenderbuffer(
                GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, object->renderbuffer);
        } else {
            GLint level = 0;
            GLuint texture = ColorTextureOf(*color, level);
            glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, level);
        }
    }
    if (depth) {
        if (auto* object = static_cast<SurfaceObject*>(depth->BackendData()))
            glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER,
                object->format.stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                object->renderbuffer);
    }
    GLenum status = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
        Log("a framebuffer is incomplete: status " + std::to_string(status));
    m_framebuffers.emplace(key, framebuffer);
    return framebuffer;
}

void GlDevice::DropFramebuffers(uint32_t surfaceId)
{
    for (auto it = m_framebuffers.begin(); it != m_framebuffers.end();) {
        if (it->first.first == surfaceId || it->first.second == surfaceId) {
            m_state.ForgetFramebuffer(it->second);
            glDeleteFramebuffers(1, &it->second);
            it = m_framebuffers.erase(it);
        } else {
            ++it;
        }
    }
}

void GlDevice::DropVertexArrays(GLuint buffer)
{
    m_drawnArrayKnown = false;
    for (auto it = m_vertexArrays.begin(); it != m_vertexArrays.end();) {
        if (it->first.buffer == buffer || it->second.elements == buffer) {
            m_state.ForgetVertexArray(it->second.name);
            glDeleteVertexArrays(1, &it->second.name);
            it = m_vertexArrays.erase(it);
        } else {
            ++it;
        }
    }
}

GLuint GlDevice::ReadableFramebuffer(Surface& surface)
{
    GLuint framebuffer = FramebufferFor(&surface, nullptr);
    auto* object = static_cast<SurfaceObject*>(surface.BackendData());
    if (!object || object->samples == 0)
        return framebuffer;
    if (!object->resolveTexture) {
        glGenTextures(1, &object->resolveTexture);
        m_state.BindTexture(StateCache::kUploadUnit, object->resolveTexture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexImage2D(GL_TEXTURE_2D, 0, GLint(object->format.internal), GLsizei(surface.Width()),
            GLsizei(surface.Height()), 0, object->format.format, object->format.type, nullptr);
        glGenFramebuffers(1, &object->resolveFramebuffer);
        m_state.BindDrawFramebuffer(object->resolveFramebuffer);
        glFramebufferTexture2D(
            GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, object->resolveTexture, 0);
    }
    m_state.BindReadFramebuffer(framebuffer);
    m_state.BindDrawFramebuffer(object->resolveFramebuffer);
    m_state.SetScissorTest(false);
    GLint w = GLint(surface.Width()), h = GLint(surface.Height());
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    return object->resolveFramebuffer;
}

// ---- Read-back and copies ----

void GlDevice::ReadBack(Surface& surface, const Rect& rect)
{
    if (!Current() || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    const GlFormat* format = nullptr;
    if (Texture* container = surface.Container()) {
        auto* object = static_cast<TextureObject*>(container->BackendData());
        format = object ? &object->format : nullptr;
    } else if (auto* object = static_cast<SurfaceObject*>(surface.BackendData());
               object && !object->format.depth) {
        format = &object->format;
    }
    if (!format || format->compressed || format->decoded)
        return;
    m_state.BindReadFramebuffer(ReadableFramebuffer(surface));
    glPixelStorei(GL_PACK_ROW_LENGTH, GLint(surface.Pitch() / format->bytes));
    glReadPixels(rect.left, rect.top, rect.Width(), rect.Height(), format->format, format->type,
        surface.Bits() + size_t(rect.top) * surface.Pitch() + size_t(rect.left) * format->bytes);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
}

Result GlDevice::CopyRects(
    Surface& source, std::span<const Rect> rects, Surface& target, std::span<const Point> points)
{
    for (size_t i = 0; i < rects.size(); ++i)
        CopySurfaceRect(source, rects[i], target, points[i]);
    if (!Current())
        return Result::Ok;
    for (size_t i = 0; i < rects.size(); ++i) {
        Rect placed { points[i].x, points[i].y, points[i].x + rects[i].Width(),
            points[i].y + rects[i].Height() };
        if (target.GetPool() == Pool::SystemMem)
            continue;
        if (Texture* container = target.Container())
            UploadLevel(*container, target.Level(), placed);
        else if (IsColorTarget(target))
            UploadTargetRect(target, placed);
    }
    return Result::Ok;
}

Result GlDevice::UpdateTexture(Texture& source, Texture& target, std::span<const LevelRect> regions)
{
    for (const LevelRect& region : regions)
        CopySurfaceRect(source.Level(region.level), region.rect, target.Level(region.level),
            { region.rect.left, region.rect.top });
    if (!Current())
        return Result::Ok;
    for (const LevelRect& region : regions)
        UploadLevel(target, region.level, region.rect);
    return Result::Ok;
}

} // namespace plat::gfx::gl
