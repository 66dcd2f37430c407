// Slots 24 to 49: every variant in the order Init tries it. Data only; TexShaderManager builds it.
#include "render/ShaderSlotTable.h"

// Rows name only the fields that differ from a plain one-pass variant.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using namespace ShaderNotation;
using V = EShaderValidation;

// Slots 24 and 45 share their restore.
constexpr SShaderOp kQuadRestore[]
    = { DiffuseMaterialSource(MaterialSource::Material), CullMode(Cull::Ccw), Lighting(true),
          SrcBlend(Blend::One), DestBlend(Blend::Zero), AlphaTestEnable(false), ZWriteEnable(true) };

// Slot 24
constexpr SShaderOp k24A1[] = { Color(0, Modulate, Texture, Diffuse), Alpha(0, Modulate, Texture, Diffuse),
    Lighting(false), SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha), AlphaTestEnable(true),
    DiffuseMaterialSource(MaterialSource::Color1), CullMode(Cull::None), ZWriteEnable(false) };
constexpr SShaderVariant kSlot24[] = {
    { .letter = 'A', .passes = { { { k24A1, Tex(0) } } }, .restore = kQuadRestore },
};

// Slot 25
constexpr SShaderOp k25A1[] = { Color(0, SelectArg1, Texture, Diffuse), Alpha(0, Modulate, Texture, Diffuse),
    Color(1, Modulate, TFactor, Current), Alpha(1, Modulate, TFactor, Current), Lighting(false),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha), AlphaTestEnable(true),
    DiffuseMaterialSource(MaterialSource::Color1), CullMode(Cull::None), ZWriteEnable(false) };
constexpr SShaderOp k25AR[] = { Color(1, Disable), DiffuseMaterialSource(MaterialSource::Material),
    CullMode(Cull::Ccw), Lighting(true), SrcBlend(Blend::One), DestBlend(Blend::Zero), AlphaTestEnable(false),
    ZWriteEnable(true) };
constexpr SShaderVariant kSlot25[] = {
    { .letter = 'A', .passes = { { { k25A1, Tex(0) } } }, .restore = k25AR },
};

// Slot 26 SHADER_NORMAL_WITHDETAILS
constexpr SShaderOp k26A1[]
    = { Color(0, Modulate, Texture, Diffuse), Alpha(0, Modulate, Texture, Diffuse), ResultArg(0, Temp),
          Color(1, Modulate, Texture, Temp), Alpha(1, Modulate, Texture, Temp), TransformFlags(1, Count2),
          Color(2, BlendCurrentAlpha, Current, Temp), Alpha(2, SelectArg2, Current, Temp) };
constexpr SShaderOp k26AR[]
    = { ResultArg(0, Current), Color(1, Disable), TransformFlags(1, TtfDisable), Color(2, Disable) };
constexpr SShaderOp k26B1[] = { Color(0, Modulate, Texture, Diffuse), Alpha(0, Modulate, Texture, Diffuse) };
constexpr SShaderOp k26B2[] = { Color(0, Modulate, Texture, Current), Alpha(0, Modulate, Texture, Current),
    Color(1, Modulate, Texture, Current), Alpha(1, Modulate, Texture, Current), TransformFlags(1, Count2),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha), ZWriteEnable(false) };
constexpr SShaderOp k26BR[] = { Color(1, Disable), Alpha(1, Disable), TransformFlags(1, TtfDisable),
    ZWriteEnable(true), SrcBlend(Blend::One), DestBlend(Blend::Zero) };
constexpr SShaderVariant kSlot26[] = {
    { .letter = 'A',
        .needs = { .stages = 3, .textures = 2, .temp = true },
        .passes = { { { k26A1, Tex(0, 1) } } },
        .restore = k26AR },
    { .letter = 'B', .passes = { { { k26B1, Tex(0) }, { k26B2, Tex(0, 1) } } }, .restore = k26BR },
};

// Slot 27: the stage 2 states only on devices with more than two stages and textures.
constexpr SShaderOp k27A1[]
    = { Color1(0, SelectArg1, Texture), Alpha(0, Subtract, Texture, TFactor), Color1(1, SelectArg1, Texture),
          Alpha(1, Modulate4x, Texture, Current), WideStagesOnly(Color(2, SelectArg1, Current, Current)),
          WideStagesOnly(Alpha(2, Modulate4x, Current, Current)), SrcBlend(Blend::SrcAlpha),
          DestBlend(Blend::InvSrcAlpha), AlphaRef(5), AlphaTestEnable(true) };
constexpr SShaderOp k27AR[] = { Color(1, Disable), WideStagesOnly(Color(2, Disable)), SrcBlend(Blend::One),
    DestBlend(Blend::Zero), AlphaTestEnable(false), AlphaRef(1) };
constexpr SShaderVariant kSlot27[] = {
    { .letter = 'A',
        .needs = { .stages = 2, .textures = 2 },
        .passes = { { { k27A1, Tex(0, 1, 1) } } },
        .restore = k27AR },
};

// Slot 28
constexpr SShaderOp k28A1[] = { Color1(0, SelectArg1, Texture), Alpha1(0, SelectArg1, Texture),
    Color1(1, SelectArg1, Texture), Alpha(1, Modulate, Texture, Current), TexCoordIndex(1, 1),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha), AlphaTestEnable(true), CullMode(Cull::None) };
constexpr SShaderOp k28AR[] = { Color(1, Disable), TexCoordIndex(1, 0), SrcBlend(Blend::One),
    DestBlend(Blend::Zero), AlphaTestEnable(false), CullMode(Cull::Ccw) };
constexpr SShaderVariant kSlot28[] = {
    { .letter = 'A', .passes = { { { k28A1, Tex(0, 1) } } }, .restore = k28AR },
};

// Slot 29
constexpr SShaderOp k29A1[] = { Color1(0, SelectArg1, TFactor), Alpha1(0, SelectArg1, TFactor),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha) };
constexpr SShaderOp k29AR[] = { SrcBlend(Blend::One), DestBlend(Blend::Zero) };
constexpr SShaderVariant kSlot29[] = {
    { .letter = 'A', .passes = { { { k29A1, Tex() } } }, .restore = k29AR },
};

// Slot 30
constexpr SShaderOp k30A1[] = { Color(0, Modulate, Texture, Current), Alpha1(0, SelectArg1, Texture),
    Color(1, Modulate, Texture, Current), Alpha(1, Modulate, Texture, Current), SrcBlend(Blend::SrcAlpha),
    DestBlend(Blend::InvSrcAlpha), CullMode(Cull::None), AlphaTestEnable(true) };
constexpr SShaderOp k30AR[] = { Color(1, Disable), CullMode(Cull::Ccw), SrcBlend(Blend::One),
    DestBlend(Blend::Zero), AlphaTestEnable(false) };
constexpr SShaderVariant kSlot30[] = {
    { .letter = 'A', .passes = { { { k30A1, Tex(0, 1) } } }, .restore = k30AR },
};

// Slot 31
constexpr SShaderOp k31A1[] = { Color(0, Modulate2x, Texture, Current), Alpha1(0, SelectArg1, Texture),
    Color(1, BlendCurrentAlpha, Current, Diffuse), Alpha1(1, SelectArg1, Diffuse), SrcBlend(Blend::SrcAlpha),
    DestBlend(Blend::InvSrcAlpha), SpecularEnable(true), NormalizeNormals(true) };
constexpr SShaderOp k31AR[]
    = { Color(1, Disable), SrcBlend(Blend::One), DestBlend(Blend::Zero), SpecularEnable(false) };
constexpr SShaderVariant kSlot31[] = {
    { .letter = 'A', .passes = { { { k31A1, Tex(0) } } }, .restore = k31AR },
};

// Slot 32 SHADER_NORMAL_WITHDETAILS_ADD
constexpr SShaderOp k32A1[]
    = { Color(0, Modulate, Texture, Diffuse), Alpha(0, Modulate, Texture, Diffuse), ResultArg(0, Temp),
          Color(1, Modulate2x, Texture, Temp), Alpha(1, Modulate, Texture, Temp), TransformFlags(1, Count2),
          Color(2, BlendCurrentAlpha, Current, Temp), Alpha(2, SelectArg2, Current, Temp) };
constexpr SShaderOp k32AR[]
    = { ResultArg(0, Current), Color(1, Disable), TransformFlags(1, TtfDisable), Color(2, Disable) };
constexpr SShaderOp k32B1[] = { Color(0, Modulate, Texture, Diffuse), Alpha(0, Modulate, Texture, Diffuse) };
constexpr SShaderOp k32B2[] = { Color(0, Modulate, Texture, Current), Alpha(0, Modulate, Texture, Current),
    Color(1, Modulate2x, Texture, Current), Alpha(1, Modulate, Texture, Current), TransformFlags(1, Count2),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha), ZWriteEnable(false) };
constexpr SShaderOp k32BR[] = { Color(1, Disable), Alpha(1, Disable), TransformFlags(1, TtfDisable),
    ZWriteEnable(true), SrcBlend(Blend::One), DestBlend(Blend::Zero) };
constexpr SShaderVariant kSlot32[] = {
    { .letter = 'A',
        .needs = { .stages = 3, .textures = 2, .temp = true },
        .passes = { { { k32A1, Tex(0, 1) } } },
        .restore = k32AR },
    { .letter = 'B', .passes = { { { k32B1, Tex(0) }, { k32B2, Tex(0, 1) } } }, .restore = k32BR },
};

// Slot 33
constexpr SShaderOp k33A1[] = { Color1(0, SelectArg1, Texture), Alpha(0, Modulate, Texture, TFactor),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::One) };
constexpr SShaderOp k33AR[] = { SrcBlend(Blend::One), DestBlend(Blend::Zero) };
constexpr SShaderVariant kSlot33[] = {
    { .letter = 'A', .passes = { { { k33A1, Tex(0) } } }, .restore = k33AR },
};

// Slot 34
constexpr SShaderOp k34A1[]
    = { Color1(0, SelectArg1, Diffuse), Alpha(0, Disable), Color(1, Modulate, Texture, Current),
          TransformFlags(1, Count2), SpecularEnable(true), SrcBlend(Blend::One), DestBlend(Blend::Zero) };
constexpr SShaderOp k34AR[] = { Color(1, Disable), TransformFlags(1, TtfDisable), SpecularEnable(false) };
constexpr SShaderVariant kSlot34[] = {
    { .letter = 'A', .passes = { { { k34A1, Tex(0, 0) } } }, .restore = k34AR },
};

// Slot 35 SHADER_BUMP_DIFFUSE: applied again in batch mode, the repeat block turns pass 2's
// leftovers back into pass 1.
constexpr SShaderOp k35A1[] = { Color(0, DotProduct3, Texture, Complemented(Diffuse)),
    Alpha(0, Modulate, Texture, Diffuse), Color(1, BlendTextureAlpha, Complemented(Current), TFactor),
    Alpha(1, Disable), Lighting(false), AlphaTestEnable(true), CullMode(Cull::None),
    SrcBlend(Blend::DestColor), DestBlend(Blend::Zero), FactorColor(0xFFFFFFFFu, 3) };
constexpr SShaderOp k35A2[] = { Color(0, DotProduct3, Texture, Diffuse),
    Alpha(0, SelectArg2, Diffuse, Texture), Color(1, BlendTextureAlpha, Current, TFactor), Alpha(1, Disable),
    SrcBlend(Blend::DestColor), DestBlend(Blend::One), FactorColor(0x00000000u, 3) };
constexpr SShaderOp k35ARepeat[] = { ColorArg2(0, Complemented(Diffuse)), ColorArg1(1, Complemented(Current)),
    DestBlend(Blend::Zero), FactorColor(0xFFFFFFFFu, 3) };
constexpr SShaderOp k35AR[] = { Color(1, Disable), CullMode(Cull::Ccw), AlphaTestEnable(false),
    SrcBlend(Blend::One), DestBlend(Blend::Zero), Lighting(true) };
constexpr SShaderVariant kSlot35[] = {
    { .letter = 'A',
        .needs = { .stages = 2, .textures = 2 },
        .passes = { { { k35A1, Tex(0, 0) }, { k35A2, Tex(0, 0) } } },
        .repeat = k35ARepeat,
        .restore = k35AR },
};

// Slot 36 SHADER_BUMPMAP_SPEC
constexpr SShaderOp k36A1[] = { Color(0, DotProduct3, Texture, Specular), Alpha2(0, SelectArg2, Diffuse),
    Color(1, Modulate, Current, Current), Alpha2(1, SelectArg2, Diffuse),
    Color(2, Modulate, Current, Current), Alpha2(2, SelectArg2, Diffuse), SrcBlend(Blend::SrcAlpha),
    DestBlend(Blend::One), Lighting(false) };
constexpr SShaderOp k36AR[]
    = { Color(1, Disable), Color(2, Disable), SrcBlend(Blend::One), DestBlend(Blend::Zero), Lighting(true) };
constexpr SShaderOp k36B1[]
    = { SrcBlend(Blend::SrcAlpha), DestBlend(Blend::One), Lighting(false), PixelShader(2) };
constexpr SShaderOp k36BR[]
    = { SrcBlend(Blend::One), DestBlend(Blend::Zero), Lighting(true), NoPixelShader() };
constexpr SShaderOp k36C1[]
    = { Color(0, DotProduct3, Texture, Specular), Alpha(0, SelectArg2, Texture, Diffuse),
          Color(1, Modulate, Current, Current), Alpha(1, Modulate, Texture, Diffuse), CullMode(Cull::None),
          SrcBlend(Blend::SrcAlpha), DestBlend(Blend::One), Lighting(false) };
constexpr SShaderOp k36CR[] = { Color(1, Disable), CullMode(Cull::Ccw), SrcBlend(Blend::One),
    DestBlend(Blend::Zero), Lighting(true) };
constexpr SShaderVariant kSlot36[] = {
    { .letter = 'A',
        .needs = { .stages = 3, .textures = 3 },
        .passes = { { { k36A1, Tex(0) } } },
        .restore = k36AR },
    { .letter = 'B',
        .needs = { .pixelShader = true },
        .passes = { { { k36B1, Tex(0) } } },
        .restore = k36BR },
    { .letter = 'C',
        .needs = { .stages = 2, .textures = 2 },
        .defaultsBeforeRecording = true,
        .passes = { { { k36C1, Tex(0, 0) } } },
        .restore = k36CR },
};

// Slot 37: the font
constexpr SShaderOp k37A1[] = { Color(0, Modulate, Texture, TFactor), Alpha(0, Modulate, Texture, TFactor),
    ZEnable(false), Lighting(false), SpecularEnable(false), SrcBlend(Blend::SrcAlpha),
    DestBlend(Blend::InvSrcAlpha), AlphaTestEnable(true) };
constexpr SShaderOp k37AR[]
    = { Lighting(true), SrcBlend(Blend::One), DestBlend(Blend::Zero), AlphaTestEnable(false), ZEnable(true) };
constexpr SShaderVariant kSlot37[] = {
    { .letter = 'A', .passes = { { { k37A1, Tex(0) } } }, .restore = k37AR },
};

// Slot 38
constexpr SShaderOp k38A1[] = { Color(0, Modulate, Texture, TFactor), Alpha(0, Modulate, Texture, TFactor),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::One), ZWriteEnable(false), CullMode(Cull::None) };
constexpr SShaderOp k38AR[]
    = { CullMode(Cull::Ccw), SrcBlend(Blend::One), DestBlend(Blend::Zero), ZWriteEnable(true) };
constexpr SShaderVariant kSlot38[] = {
    { .letter = 'A', .passes = { { { k38A1, Tex(0) } } }, .restore = k38AR },
};

// Slot 39
constexpr SShaderOp k39A1[] = { Color1(0, SelectArg1, Texture), Alpha(0, Disable) };
constexpr SShaderVariant kSlot39[] = {
    { .letter = 'A', .passes = { { { k39A1, Tex(0) } } } },
};

// Slot 40
constexpr SShaderOp k40A1[] = { Color1(0, SelectArg1, Texture), Alpha(0, Modulate, Texture, TFactor),
    Color(1, SelectArg2, Texture, Current), Alpha(1, Modulate, Texture, Current), SrcBlend(Blend::SrcAlpha),
    DestBlend(Blend::InvSrcAlpha), CullMode(Cull::None), AlphaTestEnable(true) };
constexpr SShaderOp k40AR[] = { Color(1, Disable), CullMode(Cull::Ccw), SrcBlend(Blend::One),
    DestBlend(Blend::Zero), AlphaTestEnable(false) };
constexpr SShaderVariant kSlot40[] = {
    { .letter = 'A', .passes = { { { k40A1, Tex(0, 1) } } }, .restore = k40AR },
};

// Slot 41
constexpr SShaderOp k41A1[]
    = { Color2(0, SelectArg2, TFactor), Alpha(0, Modulate, Texture, TFactor), SrcBlend(Blend::SrcAlpha),
          DestBlend(Blend::InvSrcAlpha), ZWriteEnable(false), Lighting(false), AlphaTestEnable(true) };
constexpr SShaderOp k41AR[] = { SrcBlend(Blend::One), DestBlend(Blend::Zero), ZWriteEnable(true),
    AlphaTestEnable(false), Lighting(true) };
constexpr SShaderVariant kSlot41[] = {
    { .letter = 'A', .passes = { { { k41A1, Tex(0) } } }, .restore = k41AR },
};

// Slot 42 SHADER_HORIZONT
constexpr SShaderOp k42A1[] = { Color(0, Modulate, Texture, Diffuse), Alpha1(0, SelectArg1, Texture),
    ResultArg(0, Temp), Color(1, Modulate, Texture, Temp), Alpha1(1, SelectArg1, Texture),
    TransformFlags(1, Count2), Color(2, BlendCurrentAlpha, Current, Temp),
    Alpha(2, Modulate, TFactor, Texture), AddressV(2, TextureAddress::Clamp), TexCoordIndex(2, 1),
    TransformFlags(2, Count2), Color(3, BlendCurrentAlpha, TFactor, Current), Alpha2(3, SelectArg2, Diffuse),
    DiffuseMaterialSource(MaterialSource::Material) };
constexpr SShaderOp k42AR[] = { ResultArg(0, Current), Color(1, Disable), TransformFlags(1, TtfDisable),
    Color(2, Disable), AddressV(2, TextureAddress::Wrap), TransformFlags(2, TtfDisable), TexCoordIndex(2, 0),
    Color(3, Disable) };
constexpr SShaderOp k42B1[] = { Color(0, Modulate, Texture, Diffuse), Alpha1(0, SelectArg1, Texture),
    Color(1, Modulate, Current, Texture), Alpha1(1, SelectArg1, Current), TransformFlags(1, Count2),
    DiffuseMaterialSource(MaterialSource::Material) };
constexpr SShaderOp k42B2[] = { Color1(0, SelectArg1, TFactor), Alpha1(0, SelectArg1, Texture),
    AddressV(0, TextureAddress::Clamp), TexCoordIndex(0, 1), TransformFlags(0, Count2), Color(1, Disable),
    TransformFlags(1, TtfDisable), SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha) };
constexpr SShaderOp k42BR[] = { AddressV(0, TextureAddress::Wrap), TransformFlags(0, TtfDisable),
    TexCoordIndex(0, 0), SrcBlend(Blend::One), DestBlend(Blend::Zero) };
constexpr SShaderVariant kSlot42[] = {
    { .letter = 'A',
        .validation = V::Live,
        .defaultsBeforeTrial = true,
        .defaultsBeforeRecording = true,
        .passes = { { { k42A1, Tex(0, 1, 2) } } },
        .restore = k42AR },
    { .letter = 'B', .passes = { { { k42B1, Tex(0, 1) }, { k42B2, Tex(2) } } }, .restore = k42BR },
};

// Slot 43 SHADER_BUMPMAP_SPEC2
constexpr SShaderOp k43A1[]
    = { Color(0, DotProduct3, Texture, Diffuse), Alpha(0, SelectArg2, Texture, TFactor),
          Color(1, Modulate, Current, TFactor), Alpha(1, Modulate, Texture, Diffuse), TexCoordIndex(1, 0),
          CullMode(Cull::None), SrcBlend(Blend::SrcAlpha), DestBlend(Blend::One), Lighting(false),
          DiffuseMaterialSource(MaterialSource::Color1), SpecularEnable(false) };
constexpr SShaderOp k43AR[] = { Color(1, Disable), DiffuseMaterialSource(MaterialSource::Material),
    CullMode(Cull::Ccw), SrcBlend(Blend::One), DestBlend(Blend::Zero), Lighting(true) };
constexpr SShaderVariant kSlot43[] = {
    { .letter = 'A',
        .needs = { .stages = 2, .textures = 2 },
        .passes = { { { k43A1, Tex(0, 0) } } },
        .restore = k43AR },
};

// Slot 44 SHADER_MINIMAP
constexpr SShaderOp k44A1[] = { Color1(0, SelectArg1, Texture), Alpha1(0, SelectArg1, Texture),
    Color1(1, SelectArg1, Current), Alpha1(1, SelectArg1, Texture), TexCoordIndex(1, 0),
    Color(2, BlendCurrentAlpha, Current, Texture), Alpha(2, BlendCurrentAlpha, TFactor, Texture),
    TexCoordIndex(2, 1), SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha), CullMode(Cull::None) };
constexpr SShaderOp k44AR[] = { Color(1, Disable), Color(2, Disable), TexCoordIndex(2, 0),
    CullMode(Cull::Ccw), SrcBlend(Blend::One), DestBlend(Blend::Zero) };
constexpr SShaderOp k44B1[] = { Color1(0, SelectArg1, Texture), Alpha1(0, SelectArg1, TFactor),
    Color1(1, SelectArg1, Current), Alpha1(1, Modulate, Texture), TexCoordIndex(1, 0), ZEnable(false),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha), CullMode(Cull::None) };
constexpr SShaderOp k44BR[] = { Color(1, Disable), TexCoordIndex(1, 0), CullMode(Cull::Ccw),
    SrcBlend(Blend::One), DestBlend(Blend::Zero), ZEnable(true) };
constexpr SShaderVariant kSlot44[] = {
    { .letter = 'A',
        .needs = { .stages = 3, .textures = 3 },
        .passes = { { { k44A1, Tex(0, 2, 1) } } },
        .restore = k44AR },
    { .letter = 'B', .passes = { { { k44B1, Tex(0, 2) } } }, .restore = k44BR },
};

// Slot 45
constexpr SShaderOp k45A1[] = { Color(0, Modulate, Texture, Diffuse), Alpha(0, Modulate, Texture, Diffuse),
    Lighting(false), SrcBlend(Blend::SrcAlpha), DestBlend(Blend::One), AlphaTestEnable(true),
    DiffuseMaterialSource(MaterialSource::Color1), CullMode(Cull::None), ZWriteEnable(false) };
constexpr SShaderVariant kSlot45[] = {
    { .letter = 'A', .passes = { { { k45A1, Tex(0) } } }, .restore = kQuadRestore },
};

// Slot 46: BORDER addressing where the device has it, else CLAMP.
constexpr SShaderOp k46A1[] = { Color(0, Modulate, Texture, TFactor), Alpha(0, Modulate, Texture, TFactor),
    AddressUBorderElseClamp(0), AddressVBorderElseClamp(0), Color1(1, SelectArg1, Current),
    Alpha(1, Modulate, Current, Texture), TexCoordIndex(1, 1), AddressUBorderElseClamp(1),
    AddressVBorderElseClamp(1), SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha), ZWriteEnable(false),
    CullMode(Cull::None), AlphaTestEnable(true) };
constexpr SShaderOp k46AR[] = { AddressU(0, TextureAddress::Wrap), AddressV(0, TextureAddress::Wrap),
    Color(1, Disable), TexCoordIndex(1, 0), AddressU(1, TextureAddress::Wrap),
    AddressV(1, TextureAddress::Wrap), CullMode(Cull::Ccw), SrcBlend(Blend::One), DestBlend(Blend::Zero),
    ZWriteEnable(true), AlphaTestEnable(false) };
constexpr SShaderVariant kSlot46[] = {
    { .letter = 'A', .passes = { { { k46A1, Tex(0, 1) } } }, .restore = k46AR },
};

// Slot 47: its restore leaves alpha testing on.
constexpr SShaderOp k47A1[]
    = { Color1(0, SelectArg1, Texture), Alpha1(0, SelectArg1, Texture), ResultArg(0, Temp),
          Color(1, Modulate2x, Texture, Temp), Alpha1(1, SelectArg1, Temp), AddressU(1, TextureAddress::Wrap),
          AddressV(1, TextureAddress::Wrap), Color(2, BlendCurrentAlpha, Temp, Current), Alpha(2, Disable),
          AlphaTestEnable(false), SrcBlend(Blend::One), DestBlend(Blend::Zero) };
constexpr SShaderOp k47AR[]
    = { ResultArg(0, Current), Color(1, Disable), Color(2, Disable), AlphaTestEnable(true) };
constexpr SShaderVariant kSlot47[] = {
    { .letter = 'A', .passes = { { { k47A1, Tex(0, 1) } } }, .restore = k47AR },
};

// Slot 48
constexpr SShaderOp k48A1[] = { Color(0, SelectArg1), Alpha1(0, SelectArg1, Texture),
    Color1(1, SelectArg1, Texture), Alpha2(1, SelectArg2, Current), TexCoordIndex(1, 1),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha), AlphaTestEnable(true), CullMode(Cull::None) };
constexpr SShaderOp k48AR[] = { Color(1, Disable), TexCoordIndex(1, 0), SrcBlend(Blend::One),
    DestBlend(Blend::Zero), AlphaTestEnable(false), CullMode(Cull::Ccw) };
constexpr SShaderVariant kSlot48[] = {
    { .letter = 'A', .passes = { { { k48A1, Tex(0, 1) } } }, .restore = k48AR },
};

// Slot 49
constexpr SShaderOp k49A1[] = { Color(0, SelectArg1, Texture, Diffuse), Alpha(0, Modulate, Texture, Diffuse),
    Color(1, Modulate, TFactor, Current), Alpha(1, Modulate, TFactor, Current), Lighting(false),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::One), AlphaTestEnable(true),
    DiffuseMaterialSource(MaterialSource::Color1), CullMode(Cull::None), ZWriteEnable(false) };
constexpr SShaderOp k49AR[] = { Color(1, Disable), DiffuseMaterialSource(MaterialSource::Material),
    CullMode(Cull::Ccw), Lighting(true), SrcBlend(Blend::One), DestBlend(Blend::Zero), AlphaTestEnable(false),
    ZWriteEnable(true) };
constexpr SShaderVariant kSlot49[] = {
    { .letter = 'A', .passes = { { { k49A1, Tex(0) } } }, .restore = k49AR },
};

} // namespace

extern const SShaderSlotDef kShaderSlots_24_49[26];
constexpr SShaderSlotDef kShaderSlots_24_49[26] = {
    { 24, nullptr, nullptr, kSlot24 },
    { 25, nullptr, nullptr, kSlot25 },
    { 26, "SHADER_NORMAL_WITHDETAILS", nullptr, kSlot26 },
    { 27, nullptr, nullptr, kSlot27 },
    { 28, nullptr, nullptr, kSlot28 },
    { 29, nullptr, nullptr, kSlot29 },
    { 30, nullptr, nullptr, kSlot30 },
    { 31, nullptr, nullptr, kSlot31 },
    { 32, "SHADER_NORMAL_WITHDETAILS_ADD", nullptr, kSlot32 },
    { 33, nullptr, nullptr, kSlot33 },
    { 34, nullptr, nullptr, kSlot34 },
    { 35, "SHADER_BUMP_DIFFUSE", "TexShaderManager::Init SHADER_BUMP_DIFFUSE not supported", kSlot35 },
    { 36, "SHADER_BUMPMAP_SPEC", "TexShaderManager::Init SHADER_BUMPMAP_SPEC not supported", kSlot36 },
    { 37, nullptr, nullptr, kSlot37 },
    { 38, nullptr, nullptr, kSlot38 },
    { 39, nullptr, nullptr, kSlot39 },
    { 40, nullptr, nullptr, kSlot40 },
    { 41, nullptr, nullptr, kSlot41 },
    { 42, "SHADER_HORIZONT", nullptr, kSlot42 },
    { 43, "SHADER_BUMPMAP_SPEC2", "TexShaderManager::Init SHADER_BUMPMAP_SPEC2 not supported", kSlot43 },
    { 44, "SHADER_MINIMAP", "TexShaderManager::Init SHADER_MINIMAP fails", kSlot44 },
    { 45, nullptr, nullptr, kSlot45 },
    { 46, nullptr, nullptr, kSlot46 },
    { 47, nullptr, nullptr, kSlot47 },
    { 48, nullptr, nullptr, kSlot48 },
    { 49, nullptr, nullptr, kSlot49 },
};
