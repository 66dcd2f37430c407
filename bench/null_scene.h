// The null backend's device with the shader and model managers a drawing benchmark needs, each
// installed in its global. State-block logging is off: it is not what the benchmarks measure.
#pragma once

#include "bench/null_graphic.h"
#include "platform/gfx/null/null_backend.h"
#include "render/CModelManager.h"
#include "render/TexShaderManager.h"

#include <cstdlib>
#include <memory>

namespace zoq::bench {

struct NullScene {
    NullScene()
    {
        CreateNullGraphic(window);
        plat::gfx::null::FromDevice(*g_Graphic.GetDevice())->SetStateBlockLog(false);
        shaders = std::make_unique<TexShaderManager>(true);
        if (!shaders->Init(true))
            std::abort();
        g_TexShaderManager = shaders.get();
        models = std::make_unique<CModelManager>();
        models->Init();
        g_pModelManager = models.get();
    }

    zoq::test::FakeWindow window;
    std::unique_ptr<TexShaderManager> shaders;
    std::unique_ptr<CModelManager> models;
};

} // namespace zoq::bench
