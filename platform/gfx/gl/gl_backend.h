// The OpenGL 3.3 core backend: what tests, tools and benchmarks may ask of it beyond the
// device's own calls. No GL type appears here.
#pragma once

#include "platform/gfx/backend.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat::gfx {
class Device;
}

namespace plat::gfx::gl {

// Measured driver facts of this process (one hidden 1x1 window and context, probed once).
struct DriverFacts {
    bool ok = false;
    std::string failure;
    std::string renderer;
    bool s3tc = false;
    bool anisotropy = false;
    uint32_t maxSamples = 0;
};
DriverFacts GetDriverFacts();

struct Stats {
    uint64_t programsCompiled = 0; // programs built since the device was made
    uint64_t programs = 0; // programs in the cache
    uint64_t draws = 0; // draws issued to GL
    uint64_t skippedDraws = 0; // draws of a program that failed
    uint64_t glCalls = 0; // GL calls made by this process
    uint64_t samplers = 0;
    uint64_t vertexArrays = 0;
    uint64_t framebuffers = 0;
    bool softwareDxt = false; // DXT decoded at upload
};

class GlDevice;

// The gl backend of a device created on the gl adapter; null for another backend.
GlDevice* FromDevice(Device& device);
Stats GetStats(GlDevice& device);
// Keeps a copy of the window's pixels after each final pass (tests of the gamma ramp and the
// scaling): rows top first, 0xAARRGGBB.
void CaptureWindow(GlDevice& device, bool on);
std::vector<uint32_t> CapturedWindow(GlDevice& device, int& width, int& height);
// The same for pictures shown without a device; switching it resets the copy.
void CaptureWindowPictures(bool on);
std::vector<uint32_t> CapturedWindowPicture(int& width, int& height);
// Waits for GL to finish (benchmarks).
void Finish(GlDevice& device);

// Test hooks. Devices created while set decode DXT at upload as on a driver without s3tc.
void ForceSoftwareDxt(bool on);
// Programs built while set get a statement that does not compile.
void BreakNewPrograms(GlDevice& device, bool on);

std::unique_ptr<AdapterBackend> CreateAdapterBackend();

} // namespace plat::gfx::gl
