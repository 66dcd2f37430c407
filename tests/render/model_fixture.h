// A null-backend device with the texture manager, the 50 shader slots and the model manager in
// their globals, inside RenderTest's temporary folder; model files come from the model writer.
#pragma once

#include "tests/render/render_fixture.h"

#include "platform/win/text.h"
#include "render/CComplexObject.h"
#include "render/CModelManager.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "tools/model/model_writer.h"
#include "tools/texture/tm_file.h"

#include <memory>
#include <string>

class ModelTest : public RenderTest {
protected:
    void TearDown() override
    {
        g_pModelManager = nullptr;
        m_models.reset();
        g_TexShaderManager = nullptr;
        m_shaders.reset();
        g_pTextureManager = nullptr;
        m_textures.reset();
        Mesh::ResetStreamCache();
        ClearStageTextureCache();
        RenderTest::TearDown();
    }

    // The device, a texture table (TEX_SAMPLECOLOR 8 x 8, TEX_WIDE 16 x 4, and extra rows of
    // {key, file} as 8 x 8 pictures), the slots and the standard rings. Model rows are added by
    // Models().
    void Start(const std::vector<std::pair<std::string, std::string>>& extra = {})
    {
        ASSERT_TRUE(CreateGraphic());
        WritePng("sample.png", 8, 8);
        WritePng("wide.png", 16, 4);
        m_rows.clear();
        std::vector<Row> rows = { { "TEX_SAMPLECOLOR", { { "Filename", "sample.png" } } },
            { "TEX_WIDE", { { "Filename", "wide.png" } } } };
        for (const auto& [key, file] : extra) {
            WritePng(file.c_str(), 8, 8);
            rows.push_back({ key, { { "Filename", file } } });
        }
        AddTable(CP1251("Текстуры"), rows);
        m_textures = std::make_unique<TextureManager>();
        m_textures->Init(CP1251("Текстуры"));
        g_pTextureManager = m_textures.get();
        m_shaders = std::make_unique<TexShaderManager>(true);
        ASSERT_TRUE(m_shaders->Init(false));
        g_TexShaderManager = m_shaders.get();
        m_models = std::make_unique<CModelManager>();
        m_models->Init();
        g_pModelManager = m_models.get();
    }

    // Fills the model table and loads it: rows of {key, file, radius}.
    struct ModelRow {
        std::string key;
        std::string file;
        std::string radius;
    };
    void Models(const std::vector<ModelRow>& rows)
    {
        std::vector<Row> table;
        for (const ModelRow& row : rows)
            table.push_back({ row.key, { { "Filename", row.file }, { "Radius", row.radius } } });
        AddTable(CP1251("Модели"), table);
        m_models->Init(CP1251("Модели"));
    }

    void AddTable(const char* name, const std::vector<Row>& rows) { WriteTable(name, rows); }

    static void WritePng(const std::string& name, uint32_t width, uint32_t height)
    {
        zoq::tools::texture::Bytes rgba(size_t(width) * height * 4, 200);
        std::string error;
        ASSERT_TRUE(zoq::tools::texture::WritePng(name, width, height, rgba, error)) << error;
    }

    static SModelFile Kind(std::string_view kind, std::string_view texture = "TEX_SAMPLECOLOR")
    {
        SModelFile file;
        EXPECT_TRUE(zoq::tools::model::MakeModel(kind, texture, file));
        return file;
    }
    static std::unique_ptr<CComplexObject> Load(const SModelFile& file)
    {
        const zoq::tools::model::Bytes bytes = zoq::tools::model::EncodeModelFile(file);
        auto object = std::make_unique<CComplexObject>();
        object->Load(bytes.data(), bytes.size());
        return object;
    }
    static void WriteModel(const std::string& path, const SModelFile& file)
    {
        WriteBytes(path, zoq::tools::model::EncodeModelFile(file));
    }

    std::vector<std::string> Messages() const { return LogMessages(); }

    std::unique_ptr<TextureManager> m_textures;
    std::unique_ptr<TexShaderManager> m_shaders;
    std::unique_ptr<CModelManager> m_models;
    std::vector<Row> m_rows;
};
