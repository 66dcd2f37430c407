// Fuzz target: the model-file reader on any bytes, then the run-time model of every model part
// (system memory, no device) bent, animated, sorted, damaged and read for its marker frame.
#include "render/CModel.h"
#include "render/ModelFile.h"
#include "tests/support/error_log_test.h"

#include <cstddef>
#include <cstdint>

namespace {

const bool kLogAside = (zoq::test::DiscardErrorLog(), true);

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SModelFile file;
    try {
        file = ReadModelFile(data, size, [](std::string_view) {});
    } catch (const XModelFileError&) {
        return 0;
    }
    for (SModelPartBlock& part : file.parts) {
        if (!part.model)
            continue;
        CModel model;
        model.Load(std::move(*part.model), false);
        const float weights[4] = { 0.7f, -0.4f, 0.3f, 0.9f };
        model.GetMorphedMesh(weights);
        model.AdvanceAnimation(0.5f);
        model.SetSorting(3, false);
        model.CreateDamageIndexes(0xFF);
        int corners[4];
        Matrix4 frame;
        Vec3 edges;
        model.FindFrameCorners(corners);
        model.GetBoxCornerFrame(corners, weights, frame, edges);
    }
    return 0;
}
