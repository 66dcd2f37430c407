// CImageCache: the pictures of the mark-up windows, "Data\Images\" + name, each in an image
// surface of its own size. At most ten are kept; a new picture past that replaces the one used
// least recently. A picture that does not load is logged and gives nothing. Main thread only.
#pragma once

#include <cstdint>
#include <string>

namespace plat::gfx {
class Surface;
}

class CImageCache {
public:
    static constexpr int kCapacity = 10;
    static constexpr size_t kMaxName = 255;

    struct SImage {
        std::string name;
        plat::gfx::Surface* surface = nullptr;
        int32_t width = 0;
        int32_t height = 0;
        uint64_t lastUse = 0;
    };

    CImageCache() = default;
    ~CImageCache() { Release(); }
    CImageCache(const CImageCache&) = delete;
    CImageCache& operator=(const CImageCache&) = delete;

    // The picture, loaded on first use and marked as used now; null when it does not load.
    const SImage* Get(const char* name);
    // Releases every picture (and the surfaces with it).
    void Release();

    int Count() const { return m_count; }
    bool Holds(const char* name) const { return Find(name) >= 0; }

private:
    int Find(const char* name) const;
    // A free record, or the least recently used one emptied.
    SImage& FreeRecord();

    SImage m_images[kCapacity];
    int m_count = 0;
    uint64_t m_clock = 0;
};
