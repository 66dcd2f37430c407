// The render producer: the tables "Текстуры", "Модели", "Изображения" and "Поверхности"
// (tables/textures.txt, models.txt, images.txt, surfaces.txt), the textures, pictures, models
// and the two fonts.
//
// Recipes (recipes/render.txt):
//   <path> argb|xrgb|dxt5  a TM texture of format 21, 22 or DXT5; sides are powers of two
//   <path> png|tga|jpeg|dds an image file; tga: rle=0|1 bits=24|32; jpeg: quality=1..100; dds is
//                          the uncompressed 32-bit kind
//       pictures take pattern=<solid|gradient|noise|checker|stripes|bricks|glow|ring|cursor|bump|normals>
//       size=WxH color=0x[AA]RRGGBB color2=... seed=<n> (default: from the path), and
//       text=<words joined by _> textsize=<pixels> drawn in color2 over the middle, and
//       tiles=<N> for an atlas of N x N frames, frame k the pattern moved by k pixels
//   <path> model
//   kind=<glider|building|hall|tree|stone|missile|thing|gun|flash|flame|horizon|tuft|pebble|billboard>
//          texture=<row of "Текстуры"> [channels=FIRE,OPEN (morph channels added to the first
//          part)] [type=2|3 (the billboard's part type)] [grid=<n> frametime=<seconds> (the first
//          part's n x n frame atlas and the seconds a frame shows)] [glow=<row of "Текстуры"> (a
//          camera-facing billboard of type 3 after the model's parts)]
//   <path> font pixels=<n>  a ".kwd" glyph file and its ".dds" texture beside it: every printable
//                           Windows-1251 character of DejaVu Sans
#include "platform/win/text.h"
#include "tools/mkdata/pictures.h"
#include "tools/mkdata/producers.h"
#include "tools/model/model_writer.h"
#include "tools/texture/font_file.h"
#include "tools/texture/image_files.h"
#include "tools/texture/tm_file.h"

#include <algorithm>
#include <cstring>

namespace zoq::tools::mkdata {
namespace {

// Field sizes of the readers' records (terminator included).
constexpr size_t kTextureNameBytes = 256;
constexpr size_t kModelNameBytes = 68;
constexpr size_t kPictureNameBytes = 64;

Access TextureAccess(std::string_view path)
{
    // TM files go through the file layer; other images through the platform loader.
    return Extension(path) == "tm" ? Access::FileLayer : Access::Disk;
}

bool IsPowerOfTwo(uint32_t v)
{
    return v && (v & (v - 1)) == 0;
}

struct PictureRecipe {
    PictureParams image;
    std::string text;
    uint32_t textSize = 0;
    uint32_t tiles = 1;
};

bool ReadPictureParams(
    RecipeParams& params, const Recipe& recipe, uint32_t minSide, bool powerOfTwo, PictureRecipe& out)
{
    std::string pattern;
    if (!params.Choice("pattern", PatternNames(), "noise", pattern))
        return false;
    out.image.pattern = pattern;
    if (!params.Size("size", 64, 64, minSide, 2048, out.image.width, out.image.height))
        return false;
    if (powerOfTwo && (!IsPowerOfTwo(out.image.width) || !IsPowerOfTwo(out.image.height)))
        return params.Fail("a TM texture needs sides that are powers of two");
    if (!params.Color("color", 0xFF808080u, out.image.color)
        || !params.Color("color2", 0xFF202020u, out.image.color2))
        return false;
    int64_t seed = 0;
    if (!params.Int("seed", SerialFor(recipe.path), 0, 0x7FFFFFFF, seed))
        return false;
    out.image.seed = uint32_t(seed);
    out.text = params.Text("text", "");
    for (char& c : out.text) {
        if (c == '_')
            c = ' ';
    }
    int64_t textSize = 0;
    if (!params.Int("textsize", int64_t(out.image.height / 6), 6, 256, textSize))
        return false;
    out.textSize = uint32_t(textSize);
    int64_t tiles = 1;
    if (!params.Int("tiles", 1, 1, 16, tiles))
        return false;
    out.tiles = uint32_t(tiles);
    if (out.image.width % out.tiles != 0 || out.image.height % out.tiles != 0)
        return params.Fail("tiles= must divide both sides");
    return true;
}

// N x N frames of the pattern, frame k (row-major) moved by k pixels.
Picture MakeAtlas(const PictureParams& image, uint32_t tiles)
{
    PictureParams frame = image;
    frame.width = image.width / tiles;
    frame.height = image.height / tiles;
    Picture atlas { image.width, image.height, std::vector<uint32_t>(size_t(image.width) * image.height) };
    for (uint32_t k = 0; k < tiles * tiles; ++k) {
        frame.phase = int(k);
        const Picture part = MakePicture(frame);
        const uint32_t x0 = (k % tiles) * frame.width;
        const uint32_t y0 = (k / tiles) * frame.height;
        for (uint32_t y = 0; y < frame.height; ++y)
            std::copy_n(part.argb.begin() + ptrdiff_t(y * frame.width), frame.width,
                atlas.argb.begin() + ptrdiff_t((y0 + y) * image.width + x0));
    }
    return atlas;
}

bool RenderPicture(const PictureRecipe& recipe, Picture& picture, std::string& error)
{
    picture = recipe.tiles > 1 ? MakeAtlas(recipe.image, recipe.tiles) : MakePicture(recipe.image);
    return recipe.text.empty() || DrawText(picture, recipe.text, recipe.textSize, recipe.image.color2, error);
}

bool AddTexture(ProducerContext& context, const Recipe& recipe, RecipeParams& params, std::string& error)
{
    const texture::TmFormat format = recipe.name == "argb" ? texture::TmFormat::Argb
        : recipe.name == "xrgb"                            ? texture::TmFormat::Xrgb
                                                           : texture::TmFormat::Dxt5;
    PictureRecipe picture;
    if (!ReadPictureParams(params, recipe, format == texture::TmFormat::Dxt5 ? 4 : 1, true, picture)
        || !params.Finish()) {
        error = params.Error();
        return false;
    }
    DataFile& file = context.set.AddFile(recipe.path, recipe.origin, true);
    file.make = [picture, format](Bytes& out, std::string& why) {
        Picture pixels;
        return RenderPicture(picture, pixels, why) && texture::EncodeTm(pixels, format, out, why);
    };
    return true;
}

bool AddImage(ProducerContext& context, const Recipe& recipe, RecipeParams& params, std::string& error)
{
    PictureRecipe picture;
    int64_t quality = 85;
    int64_t rle = 0;
    int64_t bits = 32;
    bool ok = ReadPictureParams(params, recipe, 1, false, picture);
    if (ok && recipe.name == "jpeg")
        ok = params.Int("quality", 85, 1, 100, quality);
    if (ok && recipe.name == "tga")
        ok = params.Int("rle", 0, 0, 1, rle) && params.Int("bits", 32, 24, 32, bits);
    if (!ok || !params.Finish() || (bits != 24 && bits != 32)) {
        error = params.Error().empty() ? recipe.origin.Where() + ": bits must be 24 or 32" : params.Error();
        return false;
    }
    DataFile& file = context.set.AddFile(recipe.path, recipe.origin, true);
    const std::string kind = recipe.name;
    file.make = [picture, kind, quality, rle, bits](Bytes& out, std::string& why) {
        Picture pixels;
        if (!RenderPicture(picture, pixels, why))
            return false;
        if (kind == "png")
            return EncodePng(pixels, out, why);
        if (kind == "tga")
            out = texture::MakeTga(
                pixels.argb, pixels.width, pixels.height, rle ? 10 : 2, uint32_t(bits), true);
        else if (kind == "jpeg")
            out = texture::MakeJpeg(pixels.argb, pixels.width, pixels.height, int(quality));
        else
            out = texture::EncodeDds32(pixels);
        if (out.empty())
            why = "the encoder gave nothing";
        return !out.empty();
    };
    return true;
}

template <size_t N> void SetName(char (&field)[N], std::string_view text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

// A morph channel of type 3 (one delta block) that lifts every vertex of the mesh.
SMorphChannelBlock LiftChannel(std::string_view name, const SMeshBlock& mesh)
{
    SMorphChannelBlock channel;
    channel.type = 3;
    SetName(channel.name, name);
    channel.blockCount = modelfile::ChannelBlockCount(channel.type);
    SDeltaBlock& block = channel.blocks[0];
    block.hasIndices = true;
    for (uint32_t v = 0; v < mesh.vertexCount; ++v) {
        block.indices.push_back(uint16_t(v));
        block.deltas.push_back(SMorphDelta { { 0, 0.1f, 0 }, { 0, 0, 0 } });
    }
    return channel;
}

bool AddModel(ProducerContext& context, const Recipe& recipe, RecipeParams& params, std::string& error)
{
    std::vector<std::string_view> kinds(model::ModelKinds().begin(), model::ModelKinds().end());
    kinds.push_back("billboard");
    std::string kind;
    std::string textureUtf8 = params.Text("texture", "");
    std::string glowUtf8 = params.Text("glow", "");
    std::vector<std::string> channels;
    int64_t type = 2;
    int64_t grid = 0;
    double frameTime = 0.0;
    const bool ok = params.Choice("kind", kinds, "stone", kind) && params.List("channels", channels)
        && params.Int("type", 2, 2, 3, type) && params.Int("grid", 0, 0, 16, grid)
        && params.Float("frametime", 0.0, 0.0, 10.0, frameTime) && params.Finish();
    if (!ok) {
        error = params.Error();
        return false;
    }
    std::string texture;
    if (textureUtf8.empty() || !ToCp1251(textureUtf8, texture) || texture.size() > 31) {
        error = recipe.origin.Where() + ": texture=<row of the texture table, at most 31 bytes> is required";
        return false;
    }
    for (const std::string& channel : channels) {
        if (channel.size() > 11) {
            error = recipe.origin.Where() + ": channel name '" + channel + "' is longer than 11 bytes";
            return false;
        }
    }
    context.set.NeedRow(CP1251("Текстуры"), texture, "a part texture of " + ToUtf8(recipe.path));
    std::string glow;
    if (!glowUtf8.empty()) {
        if (!ToCp1251(glowUtf8, glow) || glow.size() > 31) {
            error = recipe.origin.Where() + ": glow=<row of the texture table, at most 31 bytes>";
            return false;
        }
        context.set.NeedRow(CP1251("Текстуры"), glow, "a glow texture of " + ToUtf8(recipe.path));
    }
    DataFile& file = context.set.AddFile(recipe.path, recipe.origin, true);
    file.make = [kind, texture, channels, type, grid, frameTime, glow](Bytes& out, std::string& why) {
        SModelFile model;
        const auto billboard = [](uint32_t partType, const std::string& name) {
            SModelPartBlock part;
            part.record.type = partType;
            SetName(part.record.name, "BILLBOARD");
            SetName(part.record.textures[0], name);
            part.record.groupMask = 0xF;
            part.record.flags = modelfile::kFacesCamera;
            return part;
        };
        if (kind == "billboard") {
            model.parts.push_back(billboard(uint32_t(type), texture));
        } else if (!model::MakeModel(kind, texture, model)) {
            why = "the model writer has no kind '" + kind + "'";
            return false;
        }
        if (grid != 0 || frameTime != 0.0) {
            SModelPartBlock& first = model.parts.front();
            if (!first.model) {
                why = "the first part has no mesh to animate";
                return false;
            }
            first.model->frameGrid = int32_t(grid);
            first.model->frameTime = float(frameTime);
        }
        if (!channels.empty()) {
            SModelPartBlock& first = model.parts.front();
            if (!first.model || first.model->channels.size() + channels.size() > modelfile::kMaxChannels) {
                why = "the first part has no room for " + std::to_string(channels.size()) + " channels";
                return false;
            }
            for (const std::string& name : channels)
                first.model->channels.push_back(LiftChannel(name, first.model->mesh));
            first.model->channelCount = uint32_t(first.model->channels.size());
        }
        if (!glow.empty())
            model.parts.push_back(billboard(modelfile::kPartBillboard2, glow));
        out = model::EncodeModelFile(model);
        return true;
    };
    return true;
}

bool AddFont(ProducerContext& context, const Recipe& recipe, RecipeParams& params, std::string& error)
{
    int64_t pixels = 0;
    if (!params.Int("pixels", 14, 6, 48, pixels) || !params.Finish()) {
        error = params.Error();
        return false;
    }
    if (Extension(recipe.path) != "kwd") {
        error = recipe.origin.Where() + ": a font is made from its \".kwd\" path";
        return false;
    }
    // Both files come from one layout; each is made on its own so that they can be made in parallel.
    DataFile& glyphs = context.set.AddFile(recipe.path, recipe.origin, true);
    glyphs.make = [pixels](Bytes& out, std::string& why) {
        texture::FontFile font;
        if (!MakeFont(uint32_t(pixels), font, why))
            return false;
        out = texture::EncodeKwd(font);
        return true;
    };
    DataFile& dds
        = context.set.AddFile(recipe.path.substr(0, recipe.path.size() - 3) + "dds", recipe.origin, true);
    dds.make = [pixels](Bytes& out, std::string& why) {
        texture::FontFile font;
        if (!MakeFont(uint32_t(pixels), font, why))
            return false;
        out = texture::EncodeDds32(font.texture);
        return true;
    };
    return true;
}

} // namespace

bool AddPictureRecipe(ProducerContext& context, const Recipe& recipe, std::string& error)
{
    RecipeParams params(recipe);
    const std::string& name = recipe.name;
    if (name == "argb" || name == "xrgb" || name == "dxt5")
        return AddTexture(context, recipe, params, error);
    if (name == "png" || name == "tga" || name == "jpeg" || name == "dds")
        return AddImage(context, recipe, params, error);
    return false;
}

bool ProduceRender(ProducerContext& context, std::string& error)
{
    if (!LoadTables(context, { "textures.txt", "models.txt", "images.txt", "surfaces.txt" }, error))
        return false;
    const char* textures = CP1251("Текстуры");
    const char* models = CP1251("Модели");
    const char* pictures = CP1251("Изображения");
    const char* surfaces = CP1251("Поверхности");
    ReferFileField(context, textures, "Filename", kTextureNameBytes, TextureAccess);
    ReferFileField(context, models, "Filename", kModelNameBytes, nullptr, Access::FileLayer);
    ReferFileField(context, pictures, "Filename", kPictureNameBytes, nullptr, Access::Disk);
    for (const char* field : { "Texture", "TextureFull", "TextureDetail", "TextureBump" })
        context.set.AddNameRule(surfaces, field, textures);
    context.set.AddNameRule(surfaces, "MODEL?", models);
    NeedRows(context, textures, { "TEX_SAMPLECOLOR" }, "the texture manager's fallback");
    NeedRows(context, textures, { "TEX_INT_CURSOR", "TEX_INT_CURSOR_BLUE" }, "the drawn mouse cursor");
    NeedRows(context, pictures, { "SUF_WAITFOR" }, "the wait screen");
    NeedRows(context, pictures, { "SUF_WIN1", "SUF_WIN2", "SUF_ENDTEXT", "SUF_TITLES" }, "the end titles");

    // The font manager opens "data\fonts\<name>.kwd" through the file layer and its texture from disk.
    const Origin fontOrigin = context.sources.At("recipes/render.txt", 1);
    for (const char* name : { "font1", "font2" }) {
        context.set.AddReference(
            { std::string("data\\fonts\\") + name + ".kwd", fontOrigin, Access::FileLayer, 0 });
        context.set.AddReference(
            { std::string("data\\fonts\\") + name + ".dds", fontOrigin, Access::Disk, 0 });
    }

    // The application reads the window icon from disk.
    context.set.AddReference({ "Data\\zoq.png", fontOrigin, Access::Disk, 0 });
    // The tunnel ride draws its two models; a travel copies the tunnel picture from disk into the
    // save picture.
    NeedRows(context, models, { "MOD_FX_TUNEL_BACKGROUND", "MOD_FX_TUNEL_PEREHOD" }, "the tunnel ride");
    context.set.AddReference({ "Data\\Images\\tunnel.tga", fontOrigin, Access::Disk, 0 });

    std::vector<Recipe> recipes;
    if (!ReadRecipes(context.sources, "render", recipes, error))
        return false;
    for (const Recipe& recipe : recipes) {
        RecipeParams params(recipe);
        const std::string& name = recipe.name;
        bool ok = false;
        if (name == "argb" || name == "xrgb" || name == "dxt5")
            ok = AddTexture(context, recipe, params, error);
        else if (name == "png" || name == "tga" || name == "jpeg" || name == "dds")
            ok = AddImage(context, recipe, params, error);
        else if (name == "model")
            ok = AddModel(context, recipe, params, error);
        else if (name == "font")
            ok = AddFont(context, recipe, params, error);
        else
            error = recipe.origin.Where() + ": unknown recipe '" + name
                + "' (render makes: argb, xrgb, dxt5, png, tga, jpeg, dds, model, font)";
        if (!ok)
            return false;
    }
    return true;
}

} // namespace zoq::tools::mkdata
