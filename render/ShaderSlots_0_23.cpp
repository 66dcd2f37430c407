// Slots 0 to 23: every variant in the order Init tries it. Data only; TexShaderManager builds it.
#include "render/ShaderSlotTable.h"

#include "platform/win/text.h"

// Rows name only the fields that differ from a plain one-pass variant.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using namespace ShaderNotation;
using V = EShaderValidation;

// Slot 0
constexpr SShaderOp k0A1[] = { Color(0, Modulate, Texture, Current), SpecularEnable(true) };
constexpr SShaderVariant kSlot0[] = {
    { .letter = 'A', .passes = { { { k0A1, Tex(0) } } } },
};

// Slot 1 SHADER_SPECMAP
constexpr SShaderOp k1A1[] = { Color(0, Modulate, Texture, Current), Alpha(0, Disable), ResultArg(0, Temp),
    Color(1, MultiplyAdd, Texture, Specular, Temp), Alpha(1, Disable), TexCoordIndex(1, 0),
    SpecularEnable(false) };
constexpr SShaderOp k1AR[] = { ResultArg(0, Current), Color(1, Disable), SpecularEnable(true) };

constexpr SShaderOp k1B1[] = { Color(0, Modulate, Texture, Current), SpecularEnable(false) };
constexpr SShaderOp k1B2[] = { ColorArg2(0, Specular), ZWriteEnable(false), DestBlend(Blend::One) };
constexpr SShaderOp k1BR[]
    = { ColorArg2(0, Current), SpecularEnable(true), ZWriteEnable(true), DestBlend(Blend::Zero) };

constexpr SShaderOp k1C1[] = { Color(0, Subtract, Diffuse, Diffuse), Alpha(0, SelectArg2),
    SpecularEnable(true), FogEnable(false), SpecularMaterialSource(MaterialSource::Color2) };
constexpr SShaderOp k1C2[]
    = { Color1(0, SelectArg1, Texture), FogEnable(true), SpecularMaterialSource(MaterialSource::Material),
          SpecularEnable(false), ZWriteEnable(false), SrcBlend(Blend::DestColor), DestBlend(Blend::Zero) };
constexpr SShaderOp k1C3[] = { Color(0, Modulate), SrcBlend(Blend::One), DestBlend(Blend::One) };
constexpr SShaderOp k1CR[] = { ZWriteEnable(true), DestBlend(Blend::Zero), SpecularEnable(true) };

constexpr SShaderOp k1D1[]
    = { Color(0, Subtract, Diffuse, Diffuse), Alpha(0, SelectArg2), SpecularEnable(true) };
constexpr SShaderOp k1D2[] = { Color(0, SelectArg1, Texture, Current), SpecularEnable(false),
    ZWriteEnable(false), SrcBlend(Blend::DestColor), DestBlend(Blend::Zero) };
constexpr SShaderOp k1D3[] = { Color(0, Modulate, Texture, Diffuse), ZWriteEnable(false),
    SrcBlend(Blend::One), DestBlend(Blend::One) };
constexpr SShaderOp k1DR[]
    = { SpecularEnable(true), ZWriteEnable(true), SrcBlend(Blend::One), DestBlend(Blend::Zero) };

constexpr SShaderVariant kSlot1[] = {
    { .letter = 'A',
        .needs = { .stages = 2, .textures = 2, .temp = true, .probe = true },
        .passes = { { { k1A1, Tex(0, 1) } } },
        .restore = k1AR },
    { .letter = 'B',
        .needs = { .probe = true },
        .passes = { { { k1B1, Tex(0) }, { k1B2, Tex(1) } } },
        .restore = k1BR },
    { .letter = 'C', .passes = { { { k1C1, Tex() }, { k1C2, Tex(1) }, { k1C3, Tex(0) } } }, .restore = k1CR },
    { .letter = 'D', .passes = { { { k1D1, Tex() }, { k1D2, Tex(1) }, { k1D3, Tex(0) } } }, .restore = k1DR },
};

// Slot 2 SHADER_ALPHA_SI
constexpr SShaderOp k2A1[] = { Color1(0, SelectArg1, Texture), Alpha1(0, SelectArg1, Texture),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha) };
constexpr SShaderOp k2AR[] = { SrcBlend(Blend::One), DestBlend(Blend::Zero) };
constexpr SShaderVariant kSlot2[] = {
    { .letter = 'A', .passes = { { { k2A1, Tex(0) } } }, .restore = k2AR },
};

// Slot 3 SHADER_ALPHA_SI_ADD
constexpr SShaderOp k3A1[] = { Color1(0, SelectArg1, Texture), Alpha(0, SelectArg1),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::One) };
constexpr SShaderOp k3AR[] = { SrcBlend(Blend::One), DestBlend(Blend::Zero) };
constexpr SShaderVariant kSlot3[] = {
    { .letter = 'A', .passes = { { { k3A1, Tex(0) } } }, .restore = k3AR },
};

// Slot 4 SHADER_SPECMAP_ALPHA
constexpr SShaderOp k4A1[] = { Color(0, Modulate, Texture, Current), Alpha(0, Modulate, Texture, Current),
    ResultArg(0, Temp), Color(1, MultiplyAdd, Texture, Specular, Temp), Alpha2(1, SelectArg2, Temp),
    TexCoordIndex(1, 0), SpecularEnable(false) };
constexpr SShaderOp k4AR[] = { ResultArg(0, Current), Color(1, Disable), SpecularEnable(true),
    SrcBlend(Blend::One), DestBlend(Blend::Zero) };

constexpr SShaderOp k4B1[] = { Color(0, Modulate, Texture, Current), ResultArg(0, Temp),
    Color(1, Modulate, Texture, Specular), TexCoordIndex(1, 0), Color(2, Add, Temp, Current),
    TexCoordIndex(2, 0), CullMode(Cull::None), SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha) };
constexpr SShaderOp k4BR[] = { ResultArg(0, Current), Color(1, Disable), Color(2, Disable),
    SrcBlend(Blend::One), DestBlend(Blend::Zero), CullMode(Cull::Ccw) };

constexpr SShaderOp k4C1[] = { Color(0, Modulate, Texture, Current), CullMode(Cull::None),
    SpecularEnable(false), SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha) };
constexpr SShaderOp k4C2[] = { Color(0, Modulate, Texture, Specular), CullMode(Cull::Ccw),
    SrcBlend(Blend::One), DestBlend(Blend::One) };
constexpr SShaderOp k4CR[] = { SpecularEnable(true), SrcBlend(Blend::One), DestBlend(Blend::Zero) };

constexpr SShaderVariant kSlot4[] = {
    { .letter = 'A', .validation = V::Live, .passes = { { { k4A1, Tex(0, 1) } } }, .restore = k4AR },
    { .letter = 'B',
        .needs = { .stages = 3, .textures = 2, .temp = true, .probe = true },
        .validation = V::RecordingApplied,
        .passes = { { { k4B1, Tex(0, 1) } } },
        .restore = k4BR },
    { .letter = 'C',
        .validation = V::RecordingApplied,
        .passes = { { { k4C1, Tex(0) }, { k4C2, Tex(1) } } },
        .restore = k4CR },
};

// Slot 5
constexpr SShaderOp k5A1[] = { Color(0, Modulate, Texture, Diffuse), Color(1, BumpEnvMap, Texture, Current),
    TexCoordIndex(1, 0), BumpEnvMat00(1, 1.0f), BumpEnvMat01(1, 0.0f), BumpEnvMat10(1, 0.0f),
    BumpEnvMat11(1, 1.0f), BumpEnvLScale(1, 1.0f), BumpEnvLOffset(1, 0.0f), Color(2, Add, Texture, Current),
    TexCoordIndex(2, CameraSpaceReflectionVector), TransformFlags(2, Count3), SpecularEnable(false) };
constexpr SShaderOp k5AR[] = { Color(1, Disable), Color(2, Disable), TexCoordIndex(2, 0),
    TransformFlags(2, TtfDisable), SpecularEnable(true) };
constexpr SShaderVariant kSlot5[] = {
    { .letter = 'A',
        .needs = { .stages = 3, .textures = 3, .bump = true },
        .passes = { { { k5A1, Tex(0, 2, 3) } } },
        .restore = k5AR },
};

// Slot 6 SHADER_ALPHA_NORMAL_NOCULL
constexpr SShaderOp k6A1[] = { Color(0, Modulate, Texture, Current), Alpha1(0, SelectArg1, Texture),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha), CullMode(Cull::None), AlphaTestEnable(true) };
constexpr SShaderOp k6AR[]
    = { CullMode(Cull::Ccw), SrcBlend(Blend::One), DestBlend(Blend::Zero), AlphaTestEnable(false) };
constexpr SShaderVariant kSlot6[] = {
    { .letter = 'A', .passes = { { { k6A1, Tex(0) } } }, .restore = k6AR },
};

// Slot 7 SHADER_SHADOW
constexpr SShaderOp k7A1[] = { Alpha(0, Modulate, Texture, TFactor), AddressU(0, TextureAddress::Clamp),
    AddressV(0, TextureAddress::Clamp), ZWriteEnable(false), SrcBlend(Blend::Zero),
    DestBlend(Blend::InvSrcAlpha), AlphaTestEnable(true) };
constexpr SShaderOp k7AR[] = { AddressU(0, TextureAddress::Wrap), AddressV(0, TextureAddress::Wrap),
    AlphaTestEnable(false), SrcBlend(Blend::One), DestBlend(Blend::Zero), ZWriteEnable(true) };
constexpr SShaderVariant kSlot7[] = {
    { .letter = 'A', .passes = { { { k7A1, Tex(0) } } }, .restore = k7AR },
};

// Slot 8 SHADER_OBJ_DETAILS
constexpr SShaderOp k8A1[] = { Color(0, Modulate, Texture, Current), Alpha(0, Modulate, Texture, Current),
    AddressV(0, TextureAddress::Clamp), SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha),
    CullMode(Cull::None), ZWriteEnable(false), NormalizeNormals(true) };
constexpr SShaderOp k8AR[] = { AddressV(0, TextureAddress::Wrap), ZWriteEnable(true), SrcBlend(Blend::One),
    DestBlend(Blend::Zero), CullMode(Cull::Ccw) };
constexpr SShaderVariant kSlot8[] = {
    { .letter = 'A', .passes = { { { k8A1, Tex(0) } } }, .restore = k8AR },
};

// Slot 9 SHADER_FIRE
constexpr SShaderOp k9A1[] = { Color(0, Modulate, Texture, Current), Alpha(0, Modulate, Texture, Current),
    SpecularEnable(false), CullMode(Cull::None), SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha),
    ZWriteEnable(false) };
constexpr SShaderOp k9AR[] = { CullMode(Cull::Ccw), ZWriteEnable(true), SpecularEnable(true),
    SrcBlend(Blend::One), DestBlend(Blend::Zero) };
constexpr SShaderVariant kSlot9[] = {
    { .letter = 'A', .passes = { { { k9A1, Tex(0) } } }, .restore = k9AR },
};

// Slot 10 SHADER_ALPHA_COLOR_NOCULL
constexpr SShaderOp k10A1[] = { Color1(0, Modulate, Texture), Alpha(0, Modulate), SrcBlend(Blend::SrcAlpha),
    DestBlend(Blend::InvSrcAlpha), CullMode(Cull::None), DiffuseMaterialSource(MaterialSource::Color1) };
constexpr SShaderOp k10AR[] = { SrcBlend(Blend::One), DestBlend(Blend::Zero), CullMode(Cull::Ccw),
    DiffuseMaterialSource(MaterialSource::Material) };
constexpr SShaderVariant kSlot10[] = {
    { .letter = 'A', .passes = { { { k10A1, Tex(0) } } }, .restore = k10AR },
};

// Slot 11 SHADER_ALPHA_EFFECT_NOLIGHT
constexpr SShaderOp k11A1[]
    = { Color1(0, SelectArg1, Texture), Alpha1(0, SelectArg1, Texture), SrcBlend(Blend::SrcAlpha),
          DestBlend(Blend::InvSrcAlpha), ZWriteEnable(false), CullMode(Cull::None), AlphaTestEnable(true) };
constexpr SShaderOp k11AR[] = { CullMode(Cull::Ccw), SrcBlend(Blend::One), DestBlend(Blend::Zero),
    ZWriteEnable(true), AlphaTestEnable(false) };
constexpr SShaderVariant kSlot11[] = {
    { .letter = 'A', .passes = { { { k11A1, Tex(0) } } }, .restore = k11AR },
};

// Slot 12 SHADER_ALPHA_EFFECT_LIGHT
constexpr SShaderOp k12A1[]
    = { Color(0, Modulate, Texture, Current), Alpha(0, Modulate, Texture, Current), SrcBlend(Blend::SrcAlpha),
          DestBlend(Blend::InvSrcAlpha), ZWriteEnable(false), CullMode(Cull::None), AlphaTestEnable(true) };
constexpr SShaderOp k12AR[] = { CullMode(Cull::Ccw), SrcBlend(Blend::One), DestBlend(Blend::Zero),
    ZWriteEnable(true), AlphaTestEnable(false) };
constexpr SShaderVariant kSlot12[] = {
    { .letter = 'A', .passes = { { { k12A1, Tex(0) } } }, .restore = k12AR },
};

// Slot 13 SHADER_ALPHA_EFFECT_CROSSHAIR
constexpr SShaderOp k13A1[]
    = { Color1(0, SelectArg1, Texture), Alpha(0, SelectArg1), Lighting(false), SrcBlend(Blend::SrcAlpha),
          DestBlend(Blend::One), AlphaTestEnable(true), ZEnable(false), CullMode(Cull::None) };
constexpr SShaderOp k13AR[] = { CullMode(Cull::Ccw), Lighting(true), SrcBlend(Blend::One),
    DestBlend(Blend::Zero), AlphaTestEnable(false), ZEnable(true) };
constexpr SShaderVariant kSlot13[] = {
    { .letter = 'A', .passes = { { { k13A1, Tex(0) } } }, .restore = k13AR },
};

// Slot 14 SHADER_ONLYCOLOR
constexpr SShaderOp k14A1[] = { Color2(0, SelectArg2, Current), Alpha2(0, SelectArg2, Current),
    Lighting(false), SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha) };
constexpr SShaderOp k14AR[] = { SrcBlend(Blend::One), DestBlend(Blend::Zero), Lighting(true) };
constexpr SShaderVariant kSlot14[] = {
    { .letter = 'A', .passes = { { { k14A1, Tex() } } }, .restore = k14AR },
};

// Slot 15 SHADER_FACTOR_NOLIGHT
constexpr SShaderOp k15A1[] = { Color1(0, SelectArg1, TFactor), Alpha1(0, SelectArg1, TFactor) };
constexpr SShaderVariant kSlot15[] = {
    { .letter = 'A', .passes = { { { k15A1, Tex() } } } },
};

// Slot 16 SHADER_SKYLAYER
constexpr SShaderOp k16A1[] = { Color(0, SelectArg1, Texture, Current), Alpha1(0, Modulate, Texture),
    Color2(1, SelectArg2, Current), Alpha(1, Modulate, Texture, Current), TexCoordIndex(1, 1),
    Color2(2, SelectArg2, Current), Alpha(2, Modulate, TFactor, Current), SrcBlend(Blend::SrcAlpha),
    DestBlend(Blend::InvSrcAlpha), DiffuseMaterialSource(MaterialSource::Color1),
    EmissiveMaterialSource(MaterialSource::Color1), AlphaTestEnable(true) };
constexpr SShaderOp k16AR[] = { Color(1, Disable), TexCoordIndex(1, 0), Color(2, Disable),
    AlphaTestEnable(false), SrcBlend(Blend::One), DestBlend(Blend::Zero),
    DiffuseMaterialSource(MaterialSource::Material), EmissiveMaterialSource(MaterialSource::Material) };

constexpr SShaderOp k16B1[] = { Color(0, Modulate, Texture, Current), Alpha(0, Modulate, Texture, Current),
    Color(1, SelectArg2, TFactor, Current), Alpha(1, Modulate, TFactor, Current), SrcBlend(Blend::SrcAlpha),
    DestBlend(Blend::InvSrcAlpha), DiffuseMaterialSource(MaterialSource::Color1),
    EmissiveMaterialSource(MaterialSource::Color1), AlphaTestEnable(true) };
constexpr SShaderOp k16BR[] = { AlphaArg2(0, Current), Color(1, Disable), TexCoordIndex(1, 0),
    AlphaTestEnable(false), SrcBlend(Blend::One), DestBlend(Blend::Zero),
    DiffuseMaterialSource(MaterialSource::Material), EmissiveMaterialSource(MaterialSource::Material) };

constexpr SShaderOp k16C1[] = { TexCoordIndex(1, 1), SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha),
    DiffuseMaterialSource(MaterialSource::Color1), EmissiveMaterialSource(MaterialSource::Color1),
    PixelShader(1) };
constexpr SShaderOp k16CR[] = { TexCoordIndex(1, 0), SrcBlend(Blend::One), DestBlend(Blend::Zero),
    DiffuseMaterialSource(MaterialSource::Material), EmissiveMaterialSource(MaterialSource::Material),
    NoPixelShader() };

constexpr SShaderVariant kSlot16[] = {
    { .letter = 'A', .validation = V::Live, .passes = { { { k16A1, Tex(0, 0) } } }, .restore = k16AR },
    { .letter = 'B',
        .needs = { .stages = 2, .textures = 2 },
        .passes = { { { k16B1, Tex(0, 0) } } },
        .restore = k16BR },
    { .letter = 'C',
        .needs = { .stages = 5, .textures = 2, .pixelShader = true },
        .passes = { { { k16C1, Tex(0, 0) } } },
        .restore = k16CR },
};

// Slot 17 SHADER_TEX2FACTOR_NOLIGHT
constexpr SShaderOp k17A1[]
    = { Color(0, SelectArg1, Texture, Current), Alpha(0, SelectArg1, Texture, Current),
          Color(1, BlendFactorAlpha, Texture, Current), Alpha(1, BlendFactorAlpha, Texture, Current) };
constexpr SShaderOp k17AR[] = { Color(1, Disable), Alpha(1, Disable) };
constexpr SShaderVariant kSlot17[] = {
    { .letter = 'A',
        .needs = { .stages = 2, .textures = 2 },
        .passes = { { { k17A1, Tex(0, 1) } } },
        .restore = k17AR },
};

// Slot 18 SHADER_TEXFACTOR_NOLIGHT
constexpr SShaderOp k18A1[] = { Color(0, Modulate, Texture, TFactor), Alpha(0, Modulate, Texture, TFactor),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha), AlphaTestEnable(true) };
constexpr SShaderOp k18AR[] = { SrcBlend(Blend::One), DestBlend(Blend::Zero), AlphaTestEnable(false) };
constexpr SShaderVariant kSlot18[] = {
    { .letter = 'A', .passes = { { { k18A1, Tex(0) } } }, .restore = k18AR },
};

// Slot 19 SHADER_ALPHA_EFFECT_FACTOR
constexpr SShaderOp k19A1[]
    = { Color(0, Modulate, Texture, TFactor), Alpha(0, Modulate, Texture, TFactor), SrcBlend(Blend::SrcAlpha),
          DestBlend(Blend::InvSrcAlpha), ZWriteEnable(false), CullMode(Cull::None), AlphaTestEnable(true) };
constexpr SShaderOp k19AR[] = { CullMode(Cull::Ccw), SrcBlend(Blend::One), DestBlend(Blend::Zero),
    ZWriteEnable(true), AlphaTestEnable(false) };
constexpr SShaderVariant kSlot19[] = {
    { .letter = 'A', .passes = { { { k19A1, Tex(0) } } }, .restore = k19AR },
};

// Slot 20 SHADER_ONLYMATERIAL
constexpr SShaderOp k20A1[] = { Color2(0, SelectArg2, Current), Alpha2(0, SelectArg2, Current) };
constexpr SShaderVariant kSlot20[] = {
    { .letter = 'A', .passes = { { { k20A1, Tex() } } } },
};

// Slot 21 SHADER_SPECALPHA_LIGHT
constexpr SShaderOp k21A1[] = { Color(0, Modulate, Texture, Current), Alpha(0, Modulate, Texture, Current),
    Color(1, Modulate, Specular, Current), Alpha(1, SelectArg2, Diffuse, Current), SrcBlend(Blend::SrcAlpha),
    DestBlend(Blend::One), SpecularEnable(false) };
constexpr SShaderOp k21AR[]
    = { Color(1, Disable), SpecularEnable(true), SrcBlend(Blend::One), DestBlend(Blend::Zero) };
constexpr SShaderOp k21B1[] = { Color(0, Modulate, Diffuse, Diffuse), Alpha(0, Modulate),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::One), SpecularEnable(true) };
constexpr SShaderOp k21BR[] = { SrcBlend(Blend::One), DestBlend(Blend::Zero) };
constexpr SShaderVariant kSlot21[] = {
    { .letter = 'A',
        .needs = { .stages = 2, .textures = 2, .probe = true },
        .passes = { { { k21A1, Tex(0) } } },
        .restore = k21AR },
    { .letter = 'B', .passes = { { { k21B1, Tex(0) } } }, .restore = k21BR },
};

// Slot 22 SHADER_ALPHA_LIGHT
constexpr SShaderOp k22A1[] = { Color(0, Modulate, Texture, Diffuse), Alpha(0, Modulate, Texture, Diffuse),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha), AlphaTestEnable(true) };
constexpr SShaderOp k22AR[] = { SrcBlend(Blend::One), DestBlend(Blend::Zero), AlphaTestEnable(false) };
constexpr SShaderVariant kSlot22[] = {
    { .letter = 'A', .passes = { { { k22A1, Tex(0) } } }, .restore = k22AR },
};

// Slot 23 SHADER_WATER
constexpr float kWaterC8[4] = { 0.5f, 0.5f, -0.25f, 1.0f };

constexpr SShaderOp k23A1[] = { Color1(0, BumpEnvMap, Texture), Alpha1(0, SelectArg1, Diffuse),
    BumpEnvMat00(0, 0.5f), BumpEnvMat01(0, 0.0f), BumpEnvMat10(0, 0.0f), BumpEnvMat11(0, 0.5f),
    BumpEnvLScale(0, 1.0f), BumpEnvLOffset(0, 0.0f), Color1(1, SelectArg1, Texture),
    Alpha1(1, SelectArg1, Diffuse), TexCoordIndex(1, 1), ResultArg(1, Temp),
    AddressU(1, TextureAddress::Clamp), AddressV(1, TextureAddress::Clamp),
    Color(2, Modulate, Texture, Diffuse), Alpha(2, Modulate, Complemented(Texture), Diffuse),
    TexCoordIndex(2, 2), Color(3, BlendCurrentAlpha, Current, Temp), Alpha1(3, SelectArg1, Diffuse),
    DiffuseMaterialSource(MaterialSource::Color1), ZWriteEnable(false), CullMode(Cull::Ccw),
    SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha), WaterVertexShader(), VsConstant(8, kWaterC8) };
constexpr SShaderOp k23AR[]
    = { Color(1, Disable), AddressU(1, TextureAddress::Wrap), AddressV(1, TextureAddress::Wrap),
          ResultArg(1, Current), Color(2, Disable), Color(3, Disable), SrcBlend(Blend::One),
          DestBlend(Blend::Zero), ZWriteEnable(true), DiffuseMaterialSource(MaterialSource::Material) };

constexpr SShaderOp k23B1[] = { Color1(0, BumpEnvMap, Texture), Alpha1(0, SelectArg1, TFactor),
    BumpEnvMat00(0, 0.5f), BumpEnvMat01(0, 0.0f), BumpEnvMat10(0, 0.0f), BumpEnvMat11(0, 0.5f),
    BumpEnvLScale(0, 1.0f), BumpEnvLOffset(0, 0.0f), TransformFlags(0, Count3),
    Color1(1, SelectArg1, Texture), TexCoordIndex(1, CameraSpacePosition | 1),
    TransformFlags(1, Count3 | Projected), AddressU(1, TextureAddress::Clamp),
    AddressV(1, TextureAddress::Clamp), Color(2, BlendTextureAlpha, Current, Texture),
    Alpha2(2, SelectArg2, Diffuse), TransformFlags(2, Count3), ZWriteEnable(false), SrcBlend(Blend::SrcAlpha),
    DestBlend(Blend::InvSrcAlpha) };
constexpr SShaderOp k23BR[] = { TransformFlags(0, TtfDisable), Color(1, Disable), ResultArg(1, Current),
    TexCoordIndex(1, 0), TransformFlags(1, TtfDisable), AddressU(1, TextureAddress::Wrap),
    AddressV(1, TextureAddress::Wrap), Color(2, Disable), TransformFlags(2, TtfDisable), Color(3, Disable),
    Clipping(true), ZWriteEnable(true), SrcBlend(Blend::One), DestBlend(Blend::Zero) };

constexpr SShaderOp k23C1[]
    = { Color(0, Modulate, Texture, Diffuse), Alpha(0, SelectArg1, Complemented(Texture), Diffuse),
          TransformFlags(0, Count3), Color(1, BlendCurrentAlpha, Current, Texture),
          Alpha2(1, SelectArg2, Diffuse), TexCoordIndex(1, CameraSpacePosition | 1),
          TransformFlags(1, Count3 | Projected), AddressU(1, TextureAddress::Clamp),
          AddressV(1, TextureAddress::Clamp), DiffuseMaterialSource(MaterialSource::Color1),
          ZWriteEnable(false), SrcBlend(Blend::SrcAlpha), DestBlend(Blend::InvSrcAlpha) };
constexpr SShaderOp k23CR[] = { TransformFlags(0, TtfDisable), Color(1, Disable), TexCoordIndex(1, 0),
    TransformFlags(1, TtfDisable), AddressU(1, TextureAddress::Wrap), AddressV(1, TextureAddress::Wrap),
    Clipping(true), DiffuseMaterialSource(MaterialSource::Material), SrcBlend(Blend::One),
    DestBlend(Blend::Zero), ZWriteEnable(true) };

constexpr SShaderOp k23D1[] = { Color(0, Modulate, Texture, Diffuse), Alpha(0, SelectArg2, Texture, Diffuse),
    TransformFlags(0, Count2), ZWriteEnable(false) };
constexpr SShaderOp k23DR[] = { TransformFlags(0, TtfDisable), ZWriteEnable(true) };

constexpr SShaderNeeds kWaterNeeds
    = { .stages = 4, .textures = 3, .temp = true, .bump = true, .projected = true };
constexpr SShaderVariant kSlot23[] = {
    { .letter = 'A',
        .needs = kWaterNeeds,
        .waterVertexShader = true,
        .successOnValidate = true,
        .passes = { { { k23A1, Tex(1, 2, 0) } } },
        .restore = k23AR },
    { .letter = 'B',
        .needs = kWaterNeeds,
        .validation = V::Live,
        .passes = { { { k23B1, Tex(1, 2, 0) } } },
        .restore = k23BR },
    { .letter = 'C',
        .needs = { .stages = 2, .textures = 2, .projected = true },
        .passes = { { { k23C1, Tex(0, 2) } } },
        .restore = k23CR },
    { .letter = 'D', .passes = { { { k23D1, Tex(0) } } }, .restore = k23DR },
};

} // namespace

extern const SShaderSlotDef kShaderSlots_0_23[24];
constexpr SShaderSlotDef kShaderSlots_0_23[24] = {
    { 0, nullptr, nullptr, kSlot0 },
    { 1, "SHADER_SPECMAP", nullptr, kSlot1 },
    { 2, "SHADER_ALPHA_SI", CP1251("TexShaderManager::Init Шейдер SHADER_ALPHA_SI создать не получилось"),
        kSlot2 },
    { 3, "SHADER_ALPHA_SI_ADD",
        CP1251("TexShaderManager::Init Шейдер SHADER_ALPHA_SI_ADD создать не получилось"), kSlot3 },
    { 4, "SHADER_SPECMAP_ALPHA", nullptr, kSlot4 },
    { 5, nullptr, nullptr, kSlot5 },
    { 6, "SHADER_ALPHA_NORMAL_NOCULL", nullptr, kSlot6 },
    { 7, "SHADER_SHADOW", nullptr, kSlot7 },
    { 8, "SHADER_OBJ_DETAILS", nullptr, kSlot8 },
    { 9, "SHADER_FIRE", nullptr, kSlot9 },
    { 10, "SHADER_ALPHA_COLOR_NOCULL", nullptr, kSlot10 },
    { 11, "SHADER_ALPHA_EFFECT_NOLIGHT", nullptr, kSlot11 },
    { 12, "SHADER_ALPHA_EFFECT_LIGHT", nullptr, kSlot12 },
    { 13, "SHADER_ALPHA_EFFECT_CROSSHAIR", nullptr, kSlot13 },
    { 14, "SHADER_ONLYCOLOR", nullptr, kSlot14 },
    { 15, "SHADER_FACTOR_NOLIGHT", nullptr, kSlot15 },
    { 16, "SHADER_SKYLAYER", nullptr, kSlot16 },
    { 17, "SHADER_TEX2FACTOR_NOLIGHT", nullptr, kSlot17 },
    { 18, "SHADER_TEXFACTOR_NOLIGHT", nullptr, kSlot18 },
    { 19, "SHADER_ALPHA_EFFECT_FACTOR", nullptr, kSlot19 },
    { 20, "SHADER_ONLYMATERIAL", nullptr, kSlot20 },
    { 21, "SHADER_SPECALPHA_LIGHT", nullptr, kSlot21 },
    { 22, "SHADER_ALPHA_LIGHT", nullptr, kSlot22 },
    { 23, "SHADER_WATER", nullptr, kSlot23 },
};
