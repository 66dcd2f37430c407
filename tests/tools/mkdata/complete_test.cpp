// The generated game folder read with the game's own readers, headless on the null graphics
// backend and the loopback sound device: every table loads without a log line and without a key
// the tables lack, the well-known ids resolve, every file a row names opens with its reader, and
// location1 loads with every object of its source on terrain that carries them, and every mission
// script loads and runs. Runs on a copy of the folder that the mkdata_fixture test generates once
// per build tree.
#include "tests/render/render_fixture.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "ai/CFerrovant.h"
#include "ai/CFerrovantConfigList.h"
#include "ai/CPlayerFerroGroup.h"
#include "ai/CTransFerroGroup.h"
#include "ai/CZJTrade.h"
#include "app/CZJAppEventSink.h"
#include "app/LocationTravel.h"
#include "audio/CFileUtil.h"
#include "audio/CMusicMng.h"
#include "audio/CSoundManager.h"
#include "audio/CSoundMusicOGG.h"
#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/DataBase.h"
#include "foundation/KeyCodeTable.h"
#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"
#include "foundation/XFile.h"
#include "platform/gfx/d3dx/d3dx.h"
#include "platform/input/effect_file.h"
#include "platform/sound/device.h"
#include "platform/video/video_file.h"
#include "platform/win/paths.h"
#include "platform/win/profile.h"
#include "platform/win/text.h"
#include "render/CComplexObject.h"
#include "render/CFont.h"
#include "render/CLandMaterials.h"
#include "render/CModel.h"
#include "render/CModelManager.h"
#include "render/CSurfaceManager.h"
#include "render/TextureManager.h"
#include "script/CScriptHost.h"
#include "script/CZJScriptManager.h"
#include "settings/InputRows.h"
#include "settings/SettingsKeys.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/log_lines.h"
#include "tools/data/table_source.h"
#include "tools/script/script_compiler.h"
#include "tools/ui/markup_host.h"
#include "ui/CBuildingMenu.h"
#include "ui/CMHTLWindow_local.h"
#include "ui/CMainMenuButton.h"
#include "ui/CMenu1.h"
#include "ui/CRTMenu.h"
#include "ui/CRadarMap.h"
#include "ui/CRenderer.h"
#include "ui/CZJStartMenu.h"
#include "ui/GameList.h"
#include "ui/InterfaceAtlas.h"
#include "ui/ItemPage.h"
#include "ui/MenuLinks.h"
#include "world/db/CAnomalZoneManager.h"
#include "world/db/CBuildingManager.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CExploManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGoodsManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CLanternManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/COrgManager.h"
#include "world/db/CRoadManager.h"
#include "world/db/CSoundZoneManager.h"
#include "world/db/CTowerManager.h"
#include "world/db/CZJEngine.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CAnomalZonePoint.h"
#include "world/objects/CBoundObject.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CSoundZonePoint.h"
#include "world/objects/CSplinterObject.h"
#include "world/objects/CTheThing.h"
#include "world/objects/CTowerObject.h"
#include "world/objects/CTrajectoryObject.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLightWare.h"
#include "world/terrain/CLocation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <numbers>
#include <set>
#include <sstream>
#include <tuple>

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string ExtensionOf(const std::string& path)
{
    const size_t dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : Lower(path.substr(dot + 1));
}

class CompleteTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        ASSERT_TRUE(fs::exists(fs::path(ZOQ_MKDATA_FIXTURE) / "Data/mkdata.stamp"))
            << "run the mkdata_fixture test first (ctest -R mkdata)";
        for (const auto& entry : fs::directory_iterator(ZOQ_MKDATA_FIXTURE))
            fs::copy(entry.path(), m_dir / entry.path().filename(), fs::copy_options::recursive);
        plat::sound::SetDeviceKind(plat::sound::DeviceKind::Loopback);

        g_PakManager.Init("Data");
        g_ResourceDBManager.Init("Data\\DB.dat", 1);
        ASSERT_TRUE(CreateGraphic());
        m_textures = std::make_unique<TextureManager>();
        m_textures->Init(CP1251("Текстуры"));
        m_textures->CreateCacheTextures();
        g_pTextureManager = m_textures.get();
        m_models = std::make_unique<CModelManager>();
        g_pModelManager = m_models.get();
        m_models->Init(CP1251("Модели"));
        m_land = std::make_unique<CLandMaterials>();
        m_land->Init(CP1251("Поверхности"));
        g_pLandMaterials = m_land.get();
        m_surfaces = std::make_unique<CSurfaceManager>();
        m_surfaces->Init(CP1251("Изображения"));
        g_pSurfaceManager = m_surfaces.get();
        m_sounds = std::make_unique<CSoundManager>();
        m_sounds->Init(CP1251("Звуки"));
        ASSERT_TRUE(m_sounds->InitSound(nullptr));
        g_pSoundManager = m_sounds.get();
        m_music = std::make_unique<CMusicMng>();
        m_music->Init(CP1251("Музыка"));
        g_pMusicMng = m_music.get();
        ZJEngine.ZJInit();
    }

    void TearDown() override
    {
        ObjectList.Clear();
        FerroGroupList.Clear();
        Location.Purge();
        Location.streamFile.Close();
        Location.streamOpen = 0;
        g_pMusicMng = nullptr;
        m_music.reset();
        g_pSoundManager = nullptr;
        m_sounds.reset();
        g_pSurfaceManager = nullptr;
        m_surfaces.reset();
        m_land.reset();
        g_pModelManager = nullptr;
        m_models.reset();
        g_pTextureManager = nullptr;
        m_textures.reset();
        g_PakManager.Close();
        plat::sound::SetDeviceKind(plat::sound::DeviceKind::Default);
        RenderTest::TearDown();
    }

    // A glider of the configuration 10 units above the ground at (x, y), in the object list.
    static CGliderObject* PlaceGlider(CFerrovant& machine, const char* config, const Vec3& at)
    {
        machine.ApplyConfig(FerrovantConfigList.Find(config), true, 0);
        auto* glider = new CGliderObject;
        const float z = Location.GetHeight(at, true, true) + 10.0f;
        const float placement[16] = { 1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, at.x, at.y, z, 1 };
        glider->Init(placement, MakeNameKey32(g_GliderManager.GetRowNames().GetString(machine.hull.index)));
        glider->AssignFerrovant(&machine);
        ObjectList.AddObject(glider);
        return glider;
    }

    // One frame of the object list, its sounds played, the game clock advanced by FrameTime.
    void RunFrame()
    {
        ObjectList.Run();
        ObjectList.PreMove();
        ObjectList.CheckCollision();
        ObjectList.Move();
        m_sounds->ApplySettings(); // plays the frame's queued sounds
        GameClock += FrameTime;
    }

    // Everything error.log holds, which must be nothing.
    std::string Logged() const
    {
        std::string text;
        for (const std::string& line : LogMessages())
            text += plat::win::Cp1251ToUtf8(line) + "\n";
        return text;
    }

    std::unique_ptr<TextureManager> m_textures;
    std::unique_ptr<CModelManager> m_models;
    std::unique_ptr<CLandMaterials> m_land;
    std::unique_ptr<CSurfaceManager> m_surfaces;
    std::unique_ptr<CSoundManager> m_sounds;
    std::unique_ptr<CMusicMng> m_music;
};

TEST_F(CompleteTest, TablesLoadQuietlyWithEveryKeyTheReadersAskFor)
{
    EXPECT_EQ(Logged(), "");
    // A reader asking for a table or a field that the database lacks registers its name beside
    // the ones of the name file: the counts would grow.
    const Bytes names = ReadBytes("Data/DB.tab");
    ASSERT_GE(names.size(), 8u);
    const int tables = names[0] | names[1] << 8 | names[2] << 16 | names[3] << 24;
    const int fields = names[4] | names[5] << 8 | names[6] << 16 | names[7] << 24;
    std::string extra;
    for (int i = fields; i < g_DataBase.FieldNameCount(); ++i) {
        const SFieldNameEntry& entry = g_DataBase.FieldNameEntry(i);
        for (int t = 0; t < g_DataBase.FloorCount(); ++t) {
            if (g_DataBase.FloorEntry(t).id == entry.tableId)
                extra += plat::win::Cp1251ToUtf8(g_DataBase.FloorEntry(t).name) + ".";
        }
        extra += std::string(entry.name) + "\n";
    }
    EXPECT_EQ(extra, "") << "fields the tables lack";
    EXPECT_EQ(g_DataBase.FloorCount(), tables) << "tables the database lacks";
    for (int i = 0; i < CZJEngine::kWellKnown1Count; ++i)
        EXPECT_NE(ZJEngine.ids1[i], -1) << CZJEngine::WellKnownName1(i);
    for (int i = 0; i < CZJEngine::kWellKnown2Count; ++i)
        EXPECT_NE(ZJEngine.ids2[i], -1) << CZJEngine::WellKnownName2(i);
    for (const char* sound : { "SND_GL_SOPLO1", "SND_GL_ENGINE" })
        EXPECT_GE(FindSoundId(sound), 0) << sound;
    EXPECT_NE(ZJEngine.soploSounds[3], -1);
    EXPECT_NE(ZJEngine.engineSound, -1);
    EXPECT_EQ(g_FixCursor, 0) << "the demo steers with the mouse";
    EXPECT_GE(m_land->GetMaterialCount(), 3);
}

TEST_F(CompleteTest, EveryTextureModelAndPictureOpens)
{
    std::set<std::string> kinds;
    for (int i = 0; i < m_textures->GetRecordCount(); ++i) {
        const TextureRecord& record = m_textures->GetRecord(i);
        ASSERT_NE(m_textures->GetTexture(i), nullptr) << record.filename;
        EXPECT_FALSE(record.failed) << record.filename;
        kinds.insert(ExtensionOf(record.filename) + (record.type == 3 ? "+bump" : ""));
    }
    for (const char* kind : { "tm", "tm+bump", "png", "tga", "jpg", "dds" })
        EXPECT_TRUE(kinds.count(kind)) << kind;
    // The TM files of the archive hold each stored kind: formats 21 and 22, and DXT5 blocks.
    std::set<std::string> formats;
    for (int i = 0; i < m_textures->GetRecordCount(); ++i) {
        const std::string name = m_textures->GetRecord(i).filename;
        if (ExtensionOf(name) != "tm")
            continue;
        XFile file;
        ASSERT_TRUE(
            g_PakManager.OpenXFile((std::string(g_ResourceDBManager.BaseDirectory()) + name).c_str(), file));
        uint32_t header[5] = {};
        ASSERT_NE(file.Read(header, sizeof header), 0u);
        formats.insert(header[4] ? "dxt5" : std::to_string(header[2]));
    }
    EXPECT_EQ(formats, (std::set<std::string> { "21", "22", "dxt5" }));

    std::set<uint32_t> partTypes;
    for (int i = 0; i < m_models->GetModelCount(); ++i) {
        CComplexObject* model = m_models->GetModel(i);
        ASSERT_NE(model, nullptr);
        EXPECT_GT(model->GetPartCount(), 0) << m_models->GetRecord(i).Filename;
        for (int p = 0; p < model->GetPartCount(); ++p)
            partTypes.insert(model->GetPart(p).type);
    }
    EXPECT_EQ(partTypes, (std::set<uint32_t> { 0, 1, 2, 3, 4 }));

    // The first-use preparations read the mounts, doors, effect points and channels.
    for (int i = 0; i < g_GliderManager.RowCount(); ++i) {
        g_GliderManager.InitGlider(i);
        const SGliderType& glider = g_GliderManager.GetDesc(i);
        for (const SGliderMount& mount : glider.mounts)
            EXPECT_GE(mount.part, 0);
        for (int32_t channel :
            { glider.body.rotate, glider.body.forward, glider.body.jump, glider.body.strafe })
            EXPECT_GE(channel, 0);
        EXPECT_GT(glider.pointCount, 0);
    }
    for (int i = 0; i < g_BuildingManager.RowCount(); ++i) {
        g_BuildingManager.InitBuilding(i);
        EXPECT_GE(g_BuildingManager.GetDesc(i).doorAnimation, 0);
        EXPECT_NE(g_BuildingManager.GetDesc(i).doors[0].max[1], g_BuildingManager.GetDesc(i).doors[0].min[1]);
    }
    for (int i = 0; i < g_TowerManager.RowCount(); ++i)
        g_TowerManager.InitTower(i);
    for (int i = 0; i < g_LanternManager.RowCount(); ++i)
        g_LanternManager.InitLantern(i);
    bool opens = false;
    for (int i = 0; i < g_GunManager.GunCount(); ++i) {
        g_GunManager.InitGun(i);
        EXPECT_GE(g_GunManager.GetGun(i).effectPoints[0], 0);
        opens = opens || g_GunManager.GetGun(i).hasOpenAnimation;
    }
    EXPECT_TRUE(opens);

    for (int i = 0; i < m_surfaces->GetRecordCount(); ++i)
        EXPECT_NE(m_surfaces->GetSurface(i), nullptr) << m_surfaces->GetRecord(i).filename;
    int32_t width = 0, height = 0;
    m_surfaces->GetSize(m_surfaces->FindSurface("SUF_WAITFOR"), width, height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    m_surfaces->GetSize(m_surfaces->FindSurface("SUF_LOGO"), width, height);
    EXPECT_EQ(width, 256) << "a row of size 0 takes the file's";
    EXPECT_EQ(Logged(), "");
}

// Every text of the table lays out whole in a mark-up window as wide as the message strip, every
// word in brackets names a tag, and every picture a text shows opens from Data\Images\.
TEST_F(CompleteTest, EveryTextLaysOutWithKnownTagsAndPicturesThatOpen)
{
    zoq::tools::data::TableSource table;
    std::string error;
    ASSERT_TRUE(zoq::tools::data::ParseTableSource(
        ReadText(fs::path(ZOQ_DATA_DIR) / "scripts/texts.txt"), "texts.txt", "INFORMATION", table, error))
        << error;
    CZJScriptManager manager;
    manager.Init();
    zoq::tools::ui::MarkupHost window(0, 0, 400, 100000);
    int pictures = 0;
    for (const zoq::tools::data::TableRecord& record : table.records) {
        CXAnsiString text;
        ASSERT_TRUE(manager.GetText(record.name.c_str(), text)) << record.name;
        mhtl::ForEachToken(std::string_view(text.Text()), [&](std::string_view token, bool bracketed) {
            if (!bracketed)
                return;
            EXPECT_TRUE(mhtl::IsTagWord(token)) << record.name << ": <" << token << ">";
            if (token.substr(0, 6) != "image:")
                return;
            const std::string name(token.substr(6));
            plat::gfx::d3dx::ImageInfo info;
            ASSERT_TRUE(Succeeded(plat::gfx::d3dx::GetImageInfoFromFile("Data\\Images\\" + name, info)))
                << record.name << ": " << name;
            EXPECT_GT(info.width * info.height, 0u) << name;
            window.images[name] = { int32_t(info.width), int32_t(info.height) };
            ++pictures;
        });
        window.Clear();
        window.AddText(text, record.name.c_str(), true);
        EXPECT_EQ(window.BlockCount(), text.IsEmpty() ? 0 : 1) << record.name;
        EXPECT_LT(window.LineCount(), CMHTLWindow::kMaxLines) << record.name;
    }
    EXPECT_GE(pictures, 1);
    EXPECT_EQ(Logged(), "");
}

TEST_F(CompleteTest, FontsHoldEveryPrintableCharacter)
{
    for (const char* name : { "font1", "font2" }) {
        SCOPED_TRACE(name);
        CFont font;
        font.Init(name);
        EXPECT_NE(font.GetTexture(), nullptr);
        EXPECT_EQ(font.GetGlyphCount(), 222);
        for (int byte = 0x20; byte <= 0xFF; ++byte) {
            if (byte == 0x7F || byte == 0x98)
                continue;
            EXPECT_NE(font.FindGlyph(plat::win::Cp1251ToCodePoint(static_cast<unsigned char>(byte))), nullptr)
                << byte;
        }
        EXPECT_GT(font.GetTextWidth(CP1251("Феррованты")), 0);
        EXPECT_GT(font.GetLineHeight(), 0);
        font.Release();
    }
    EXPECT_EQ(Logged(), "");
}

TEST_F(CompleteTest, SoundsMusicClipsAndEffectsOpen)
{
    std::set<std::string> kinds;
    for (int i = 0; i < m_sounds->GetRecordCount(); ++i) {
        const SSoundRecord& record = m_sounds->GetRecord(i);
        EXPECT_NE(m_sounds->GetSound(i), nullptr) << record.fileName;
        kinds.insert(ExtensionOf(record.fileName) + (record.is3D ? "/3d" : "/2d"));
    }
    EXPECT_EQ(kinds, (std::set<std::string> { "ogg/2d", "ogg/3d", "wav/2d", "wav/3d" }));

    for (int i = 0; i < m_music->GetTrackCount(); ++i) {
        CSoundMusicOGG track;
        ASSERT_EQ(track.SetFileName(m_music->GetTrack(i).fileName), kSoundOk);
        EXPECT_EQ(track.PreLoad(0), kSoundOk) << m_music->GetTrack(i).fileName;
        track.Unload(true);
    }

    const std::pair<const char*, double> clips[]
        = { { "logo1", 1 }, { "logo2", 1 }, { "logo3", 1 }, { "logo4", 1 }, { "intro", 3 } };
    for (const auto& [name, seconds] : clips) {
        plat::video::VideoFile clip;
        const std::optional<std::string> path
            = plat::win::ResolvePath(std::string("Data\\Video\\") + name + ".ogv");
        ASSERT_TRUE(path) << name;
        ASSERT_TRUE(clip.Open(*path)) << name;
        EXPECT_EQ(clip.Width() % 16, 0u);
        EXPECT_EQ(clip.Height() % 16, 0u);
        EXPECT_GT(clip.FrameCount(), 0u);
        EXPECT_LE(clip.FrameCount() / clip.FramesPerSecond(), seconds + 1e-6) << name;
    }

    for (const char* name : { "idle", "coll", "light", "heavy" }) {
        plat::input::EffectFile effects;
        EXPECT_TRUE(plat::input::LoadEffectFile(std::string("Data\\FFE\\") + name + ".ffe", effects)) << name;
        EXPECT_EQ(effects.effects.size(), 1u);
    }
    EXPECT_EQ(Logged(), "");
}

TEST_F(CompleteTest, FilesComeFromTheArchiveAndFromDisk)
{
    XFile archived;
    ASSERT_TRUE(g_PakManager.OpenXFile(
        (std::string(g_ResourceDBManager.BaseDirectory()) + "Data\\Textures\\sample.tm").c_str(), archived));
    EXPECT_TRUE(archived.IsInArchive());
    EXPECT_FALSE(fs::exists(m_dir / "Data/Textures/sample.tm"));
    EXPECT_TRUE(fs::exists(m_dir / "Data/Textures/Interface/cursor.tga"));

    // The politics file is read from disk over every organisation.
    g_OrgManager.SetPolitics("StartPolitics.csv");
    const int traders = g_OrgManager.FindOrganisation("ORG_TRADERS");
    const int guards = g_OrgManager.FindOrganisation("ORG_GUARDS");
    ASSERT_GE(traders, 0);
    ASSERT_GE(guards, 0);
    EXPECT_FLOAT_EQ(g_OrgManager.GetPairValue(traders, guards, true), 0.5f);
    EXPECT_EQ(Logged(), "");
}

TEST_F(CompleteTest, Location1LoadsWithEveryObjectOfItsSource)
{
    // The object lines of the source, counted by block code.
    std::map<int, int> expected;
    int groups = 0;
    std::istringstream source(ReadText(fs::path(ZOQ_DATA_DIR) / "locations/location1.txt"));
    for (std::string line; std::getline(source, line);) {
        std::istringstream words(line);
        std::string word;
        int code = 0;
        if (words >> word && word == "object" && words >> code)
            ++expected[code];
        groups += word == "group";
    }
    ASSERT_EQ(expected.size(), 12u) << "a block of every code";

    ZJEngine.Load("location1.zjp");
    std::map<int, int> objects;
    for (const CZJObject* object : ObjectList.Objects())
        ++objects[object->type];
    EXPECT_EQ(g_RoadManager.NodeCount(), expected[8]);
    EXPECT_EQ(ObjectList.HelperPoints().Count(), expected[7] + expected[20] + expected[24]);
    for (int code : { 3, 4, 11, 12, 13, 19, 22, 23 })
        EXPECT_EQ(objects[code], expected[code]) << "code " << code;
    EXPECT_NE(ObjectList.FindObject(MakeNameKey32("B_L1_CEH"), 11), nullptr);
    EXPECT_EQ(FerroGroupList.Count(), 1 + groups); // the player's team first
    EXPECT_GE(ZJEngine.music.battleCount, 1u);
    EXPECT_EQ(Logged(), "");
}

// location1 has start points (helper kind 9), an anomaly zone (20) and sound zones (21), whose
// rows' sounds and models resolve.
TEST_F(CompleteTest, Location1HasStartPointsAndZonesWithTheirRows)
{
    ZJEngine.Load("location1.zjp");
    std::set<int> kinds;
    for (const CHelperPoint* point : ObjectList.HelperPoints()) {
        kinds.insert(point->kind);
        if (const auto* anomaly = dynamic_cast<const CAnomalZonePoint*>(point)) {
            EXPECT_GE(anomaly->rowData->model.Index(), 0) << point->name;
            EXPECT_GT(anomaly->radius, 0.0f) << point->name;
        }
        if (const auto* zone = dynamic_cast<const CSoundZonePoint*>(point)) {
            ASSERT_NE(zone->rowData, nullptr) << zone->typeName;
            EXPECT_GE(zone->rowData->sound.Index(), 0) << zone->typeName;
        }
    }
    for (const int kind : { 9, 20, 21 })
        EXPECT_TRUE(kinds.count(kind)) << "helper kind " << kind;
    EXPECT_EQ(Logged(), "");
}

// location1's scenery: a tree below radius 20 that rays pass and one above 30 that is not solid, a
// map cover of radius 150, and lanterns and a light object by START1 that light up in a dark hour.
TEST_F(CompleteTest, Location1SceneryStandsByTheStartAndLightsUpInTheDark)
{
    ZJEngine.Load("location1.zjp");
    const CHelperPoint* start = nullptr;
    for (const CHelperPoint* point : ObjectList.HelperPoints())
        start = std::strcmp(point->name, "START1") == 0 ? point : start;
    ASSERT_NE(start, nullptr);
    const Vec3 at = start->transform.position;
    const auto byTheStart = [&](const CZJObject* o) {
        return std::hypot(o->frame.position.x - at.x, o->frame.position.y - at.y) < 100.0f;
    };
    const SWeatherState savedHour = Environment.current;
    const CViewFrame savedView = ViewFrame;
    Environment.current.ambient = 0xFF000000u;
    Environment.current.sunColour = 0xFF000000u;
    ViewFrame.position = at;
    LightWare.ClearLights();
    bool smallTree = false;
    bool bigTree = false;
    bool wideCover = false;
    int lights = 0;
    int lanterns = 0;
    for (CZJObject* object : ObjectList.Objects()) {
        if (object->type == CZJObject::kTree) {
            smallTree = smallTree || (object->radius < 20.0f && object->solid && !object->hitByRays);
            bigTree = bigTree || (object->radius > 30.0f && !object->solid && object->hitByRays);
        }
        wideCover = wideCover || (object->type == CZJObject::kMapCover && object->radius == 150.0f);
        if ((object->type == CZJObject::kLamp || object->type == CZJObject::kLight) && byTheStart(object)) {
            ++(object->type == CZJObject::kLamp ? lanterns : lights);
            object->PreDraw();
        }
    }
    EXPECT_TRUE(smallTree);
    EXPECT_TRUE(bigTree);
    EXPECT_TRUE(wideCover);
    EXPECT_GE(lanterns, 2);
    EXPECT_GE(lights, 1);
    EXPECT_EQ(LightWare.Count(), lanterns + lights) << "every one lit";
    LightWare.ClearLights();
    ViewFrame = savedView;
    Environment.current = savedHour;
    EXPECT_EQ(Logged(), "");
}

TEST_F(CompleteTest, Location1TerrainCarriesItsObjectsAndWaters)
{
    Location.SizeBufferPools(8, 8);
    ZJEngine.Load("location1.zjp");
    ASSERT_EQ(Location.blocksX, 8);
    ASSERT_EQ(Location.blocksY, 8);
    const float extent = 10.0f * float(Location.width - 1);
    for (const CZJObject* object : ObjectList.Objects()) {
        const Vec3& p = object->frame.position;
        EXPECT_TRUE(p.x >= 0 && p.y >= 0 && p.x < extent && p.y < extent) << p.x << "," << p.y;
        if (p.z == 0.0f) {
            EXPECT_NEAR(Location.GetHeight(p, false, true), 0.0f, 1.0f) << p.x << "," << p.y;
        }
    }
    // The still basin (surface 0) and the waving pond (surface 1) at their middles.
    const struct {
        Vec3 middle;
        int surface;
    } waters[] = { { { 2000, 1000, 0 }, 0 }, { { 900, 2000, 0 }, 1 } };
    ASSERT_EQ(Location.surfaces.size(), 2u);
    for (const auto& water : waters) {
        const float level = Location.surfaces[size_t(water.surface)].waterLevel;
        EXPECT_FLOAT_EQ(Location.GetHeight(water.middle, true, true), level + 3.0f) << water.surface;
    }
    for (const MapSurface& surface : Location.surfaces) {
        EXPECT_GE(surface.texture1Index, 0) << surface.texture1;
        EXPECT_GE(surface.texture2Index, 0) << surface.texture2;
    }
    std::set<uint32_t> unknown;
    for (int row = 0; row < Location.blocksY; ++row) {
        for (int column = 0; column < Location.blocksX; ++column) {
            Location.LoadCell(column, row, 0);
            for (const uint32_t code : Location.Cell(column, row).full->planes.code) {
                if (g_pLandMaterials->FindByGID(code >> 16) < 0)
                    unknown.insert(code >> 16);
            }
        }
    }
    EXPECT_TRUE(unknown.empty()) << "material " << (unknown.empty() ? 0u : *unknown.begin());
    EXPECT_EQ(Logged(), "");
}

// Every traded key is a row of the table its prefix names, every trading building stands in the
// location, and location1 trades goods between its two buildings, one on a steep curve; the
// workshop lists one offer only after an event and shows one locked until then.
TEST_F(CompleteTest, Location1TradesBetweenItsBuildings)
{
    ZJEngine.Load("location1.zjp");
    const std::pair<const char*, const DefaultManager*> tables[]
        = { { "TOV", &g_GoodsManager }, { "GL", &g_GliderManager }, { "GUN", &g_GunManager },
              { "EQP", &g_EquipmentManager }, { "AMM", &g_MissileManager } };
    std::map<std::string, std::set<std::string>> offered, bought;
    bool steep = false;
    std::set<uint8_t> access;
    ASSERT_EQ(ZJTrade.entryCount, 2) << "B_L1_CEH and B_L1_TUNNEL";
    for (int i = 0; i < ZJTrade.entryCount; ++i) {
        const STradeEntry& entry = ZJTrade.Entry(i);
        EXPECT_NE(ObjectList.FindObject(MakeNameKey32(entry.building), 11), nullptr) << entry.building;
        for (const SBuildingTrade& good : entry.goods) {
            const DefaultManager* table = nullptr;
            for (const auto& [prefix, manager] : tables)
                table = std::string_view(good.key).starts_with(prefix) ? manager : table;
            ASSERT_NE(table, nullptr) << good.key;
            EXPECT_GE(table->GetRowNames().Find(good.key), 0) << good.key;
            if (good.maxPrice > 0)
                offered[good.key].insert(entry.building);
            if (good.buyPrice > 0)
                bought[good.key].insert(entry.building);
            steep = steep || good.steepCurve;
            if (good.access != SBuildingTrade::kOpen && good.condition[0] != 0)
                access.insert(good.access);
        }
    }
    bool route = false;
    for (const auto& [key, sellers] : offered) {
        for (const std::string& seller : sellers) {
            for (const std::string& buyer : bought[key])
                route = route || (key.starts_with("TOV") && seller != buyer);
        }
    }
    EXPECT_TRUE(route) << "a good offered at one building and bought at the other";
    EXPECT_TRUE(steep);
    EXPECT_EQ(access, (std::set<uint8_t> { SBuildingTrade::kConditional, SBuildingTrade::kLocked }));
    EXPECT_EQ(Logged(), "");
}

// Every mission script compiles and loads through the script manager with the lines it compiled
// to, its first lines ending before its procedures; each location has its EACHHOUR and runs it and
// its first lines without an unknown command; each group's organisation, in every location, has
// the group-message procedures; every key a script shows, asks for or hands over has a text.
TEST_F(CompleteTest, ScriptsLoadRunAndShowTextsThatExist)
{
    ZJEngine.Load("location1.zjp");
    CZJScriptManager manager;
    manager.Init();
    g_pScriptManager = &manager;
    const fs::path root = fs::path(ZOQ_DATA_DIR) / "scripts";
    const std::pair<const char*, int> kinds[] = { { ".scr", 1 }, { ".qst", 2 }, { ".inf", 3 } };
    std::set<std::string> keys;
    int scripts = 0;
    for (const auto& entry : fs::directory_iterator(root)) {
        const std::string ext = "." + ExtensionOf(entry.path().string());
        for (const auto& [extension, kind] : kinds) {
            if (ext != extension)
                continue;
            std::vector<std::string> lines;
            std::string error;
            ASSERT_TRUE(zoq::tools::script::CompileScript(entry.path(), root, lines, error)) << error;
            const std::string name = entry.path().stem().string();
            // The first lines run on into the procedures below them unless they end first.
            const auto procedure = std::find_if(
                lines.begin(), lines.end(), [](const std::string& l) { return l.starts_with("PROC"); });
            EXPECT_TRUE(procedure == lines.begin() || procedure == lines.end()
                || std::find(lines.begin(), procedure, "END") != procedure)
                << name << extension << " runs from its first lines into " << *procedure;
            const XStringTable* table = manager.ZJLoadScript(name.c_str(), kind);
            ASSERT_NE(table, nullptr) << name << extension;
            ASSERT_EQ(table->Count(), int(lines.size())) << name;
            for (int i = 0; i < table->Count(); ++i) {
                const std::string line = table->GetString(i);
                EXPECT_EQ(line, lines[size_t(i)]) << name << " line " << i;
                for (const char* command : { "_INFO(", "_JOURNAL(", "_QUEST(", "_KNOW(", "_ADDQUEST(",
                         "_PLAYERHAS(", "_REMOVEOBJECT(", "_ADDOBJECT(" }) {
                    const size_t at = line.find(command);
                    if (at != std::string::npos) {
                        const size_t start = at + std::strlen(command);
                        keys.insert(line.substr(start, line.find_first_of(",)", start) - start));
                    }
                }
            }
            ++scripts;
        }
    }
    EXPECT_GE(scripts, 4);
    for (const std::string& key : keys) {
        CXAnsiString text;
        EXPECT_TRUE(manager.GetText(key.c_str(), text)) << key;
    }
    for (const char* key : { "DEF_PLAYERNAME", "INT_NET_PLAYER_WAS_KILLED_BY" }) {
        CXAnsiString text;
        EXPECT_TRUE(manager.GetText(key, text)) << key;
    }
    for (int level = 1; level <= 10; ++level) {
        CXAnsiString name;
        EXPECT_TRUE(manager.GetTextName(("RATING." + std::to_string(level)).c_str(), name)) << level;
    }
    for (int org = 0; org < g_OrgManager.GetRowNames().Count(); ++org) {
        CXAnsiString name;
        const std::string key = std::string(g_OrgManager.GetRowNames().GetString(org)) + "_MEMBER";
        EXPECT_TRUE(manager.GetTextName(key.c_str(), name)) << key;
    }

    for (const char* location : { "LOCATION1" }) {
        const XStringTable* table = manager.ZJLoadScript(location, 1);
        ASSERT_NE(table, nullptr) << location;
        EXPECT_GE(table->Find("PROCEACHHOUR"), 0) << location;
        EXPECT_TRUE(manager.ZJRunScript(location, 1, nullptr));
        EXPECT_FALSE(ObjectList.Sensors().IsEmpty()) << location;
        manager.RunEachHour((std::string(location) + ".zjp").c_str());
        EXPECT_TRUE(manager.LastProcedureFound()) << location;
    }
    // The groups of every location.
    const int npc = g_OrgManager.FindOrganisation("ORG_NPC");
    int groups = 0;
    for (const auto& map : fs::directory_iterator(fs::path(ZOQ_DATA_DIR) / "maps")) {
        const std::string location = map.path().stem().string() + ".zjp";
        ObjectList.Clear();
        ASSERT_EQ(ZJEngine.Load(location.c_str()), 1) << location;
        for (int i = 1; i < FerroGroupList.Count(); ++i, ++groups) {
            const CFerroGroup* group = FerroGroupList.At(i);
            const std::string owner = group->organisation == npc
                ? group->name
                : g_OrgManager.GetRowNames().GetString(group->organisation);
            const XStringTable* table = manager.ZJLoadScript(owner.c_str(), 1);
            ASSERT_NE(table, nullptr) << location << " " << owner;
            for (const char* message :
                { "DEFINEGROUP", "ATTACK", "ESCAPE", "TALK", "ATTACKED", "TEAMADD", "TEAMREMOVE", "TEAMFAR",
                    "TEAMAWAY", "POINT", "HELPME", "PACKED", "KILLED", "ABOUT", "LEAVE" }) {
                const std::string header = std::string("PROC") + message;
                EXPECT_TRUE(table->Find(header.c_str()) >= 0 || table->Find((header + "()").c_str()) >= 0)
                    << location << " " << owner << " " << message;
            }
        }
    }
    EXPECT_GT(groups, 0);
    g_pScriptManager = nullptr;
    EXPECT_EQ(Logged(), "");
}

// Machine configurations: every item and EQP_ field names a row of its table, every configuration
// applies, and the demo has one with all sixteen devices.
TEST_F(CompleteTest, EveryConfigurationNamesRowsThatExist)
{
    struct Item {
        const char* field;
        const XStringTable& table;
        const char* count; // the ammunition's count field, null for parts and guns
    };
    const Item items[] = {
        { "GLIDER", g_GliderManager.GetRowNames(), nullptr },
        { "LIGHTGUN1", g_GunManager.GetRowNames(), nullptr },
        { "HEAVYGUN1", g_GunManager.GetRowNames(), nullptr },
        { "ROCKETGUN", g_GunManager.GetRowNames(), nullptr },
        { "REACTOR", g_EquipmentManager.GetRowNames(), nullptr },
        { "ENGINE", g_EquipmentManager.GetRowNames(), nullptr },
        { "SHIELD", g_EquipmentManager.GetRowNames(), nullptr },
        { "ARMOR", g_EquipmentManager.GetRowNames(), nullptr },
        { "BOMB1", g_MissileManager.GetRowNames(), "NUMBOMB1" },
        { "BOMB2", g_MissileManager.GetRowNames(), "NUMBOMB2" },
        { "ROCKET1", g_MissileManager.GetRowNames(), "NUMROCKET1" },
        { "ROCKET2", g_MissileManager.GetRowNames(), "NUMROCKET2" },
    };
    ASSERT_GT(FerrovantConfigList.Count(), 0);
    g_ResourceDBManager.SelectSection(CP1251("Конфигурации"), false);
    int allDevices = 0;
    for (int i = 0; i < FerrovantConfigList.Count(); ++i) {
        const char* key = FerrovantConfigList.GetRowNames().GetString(i);
        SCOPED_TRACE(key);
        for (const Item& item : items) {
            char name[256];
            g_ResourceDBManager.GetString(key, item.field, name, sizeof name);
            const bool used
                = item.count ? g_ResourceDBManager.GetIntegerField(key, item.count) != 0 : name[0] != '\0';
            if (used) {
                EXPECT_NE(item.table.Find(name), -1) << item.field << " " << name;
            }
        }
        for (const char* field : CFerrovantConfigList::kEquipmentFields) {
            if (g_ResourceDBManager.GetIntegerField(key, field) == 1) {
                EXPECT_NE(g_EquipmentManager.FindRow(field), -1) << field;
            }
        }
        allDevices
            += FerrovantConfigList.Get(i).itemCount == CFerrovantConfigList::kEquipmentFieldCount ? 1 : 0;
        CFerrovant machine;
        machine.ApplyConfig(i, false, 0);
        EXPECT_GT(machine.GetEnergyLevel(2), 0.0f);
    }
    EXPECT_GE(allDevices, 1);
    EXPECT_EQ(Logged(), "");
}

// Location1's environment: every texture its weather records name and its horizon model resolve,
// and the horizon splits into four non-empty meshes.
TEST_F(CompleteTest, Location1WeatherAndHorizonResolve)
{
    Environment.Reset();
    Environment.horizonModel = -1;
    ZJEngine.Load("location1.zjp");
    ASSERT_EQ(Environment.WeatherCount(), 3);
    for (int i = 0; i < Environment.WeatherCount(); ++i) {
        const SWeatherState& record = Environment.Weather(i);
        EXPECT_GE(record.sky1.index, 0) << i;
        EXPECT_GE(record.sky2.index, 0) << i;
        EXPECT_GE(record.cloud1.index, 0) << i;
        EXPECT_GE(record.cloud2.index, 0) << i;
        EXPECT_GE(record.moon.index, 0) << i;
        if (record.kind == 0) {
            EXPECT_GE(record.sun.index, 0) << i;
        }
    }
    for (const char* name : { "TEX_FX_ENV_RAIN", "TEX_FX_ENV_SNOW", "TEX_FX_ENV_STORM" }) {
        EXPECT_GE(g_pTextureManager->FindTexture(name), 0) << name;
    }
    EXPECT_EQ(Environment.Weather(2).weight, 3.0f) << "the clear day comes last";
    ASSERT_EQ(Environment.horizonModel, g_pModelManager->FindModel("MOD_HOR_LOC1_B"));
    Environment.UpdateHorizont();
    for (const auto& mesh : Environment.horizonMeshes) {
        ASSERT_NE(mesh, nullptr);
        EXPECT_GT(mesh->indexCount, 0u);
    }
    const SComplexPart& part = g_pModelManager->GetModel(Environment.horizonModel)->GetPart(0);
    for (int t = 0; t < 3; ++t)
        EXPECT_GE(part.textures[t], 0) << part.textureNames[t];
    for (auto& mesh : Environment.horizonMeshes)
        mesh.reset();
    Environment.Reset();
    EXPECT_EQ(Logged(), "");
}

// zoq-map env over the generated folder: from 10 to 14 the noon weather blends in between 11
// and 13.
TEST_F(CompleteTest, TheMapToolShowsTheNoonTransition)
{
    const zoq::test::RunResult run = zoq::test::RunProgram(
        ZOQ_MAP_PROGRAM, { "env", "--base", m_dir.string(), "location1.zjp", "10", "11.5", "12", "14" });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::istringstream lines(run.out);
    std::vector<std::string> hours;
    for (std::string line; std::getline(lines, line);)
        hours.push_back(line);
    ASSERT_EQ(hours.size(), 4u) << run.out;
    auto transition = [](const std::string& line) {
        const size_t at = line.find("transition=");
        return at == std::string::npos ? -1.0f : std::stof(line.substr(at + 11));
    };
    EXPECT_EQ(transition(hours[0]), 0.0f) << hours[0];
    EXPECT_GT(transition(hours[1]), 0.0f) << hours[1];
    EXPECT_GT(transition(hours[2]), transition(hours[1])) << hours[2];
    EXPECT_EQ(transition(hours[3]), 0.0f) << hours[3];
    EXPECT_NE(hours[2].find("sky=TEX_SKY_DAY,"), std::string::npos) << hours[2];
}

// location1's groups, one of each kind, load without a log line from the organisations and
// configurations they name; every caravan's route builds, and 150 s of simulation log nothing.
TEST_F(CompleteTest, Location1GroupsLoadBuildTheirRoutesAndSimulate)
{
    struct Source {
        std::string name;
        std::string organisation;
        std::vector<std::string> members;
    };
    std::vector<Source> sources;
    std::istringstream text(ReadText(fs::path(ZOQ_DATA_DIR) / "locations/location1.txt"));
    for (std::string line; std::getline(text, line);) {
        std::istringstream words(line);
        std::string word;
        Source source;
        if (!(words >> word) || word != "group" || !(words >> source.name >> source.organisation >> word))
            continue;
        while (words >> word) {
            if (!word.starts_with("members="))
                continue;
            std::istringstream list(word.substr(8));
            for (std::string member; std::getline(list, member, ',');)
                source.members.push_back(member);
        }
        sources.push_back(std::move(source));
    }

    ZJEngine.Load("location1.zjp");
    EXPECT_EQ(Logged(), "");
    std::set<uint32_t> kinds;
    int caravans = 0;
    for (const Source& source : sources) {
        CFerroGroup* group = FerroGroupList.FindGroupByName(source.name.c_str());
        ASSERT_NE(group, nullptr) << source.name;
        kinds.insert(group->kind);
        ASSERT_GE(group->organisation, 0) << source.name;
        EXPECT_EQ(std::string(g_OrgManager.GetRowNames().GetString(group->organisation)), source.organisation)
            << source.name;
        EXPECT_EQ(group->configuredCount, int(source.members.size())) << source.name;
        for (const std::string& member : source.members)
            EXPECT_GE(FerrovantConfigList.Find(member.c_str()), 0) << source.name << " " << member;
        if (group->kind == CFerroGroup::kCaravan) {
            auto& caravan = static_cast<CTransFerroGroup&>(*group);
            EXPECT_TRUE(caravan.BuildRoute()) << source.name;
            EXPECT_GE(caravan.routeCount, 2) << source.name;
            ++caravans;
        }
    }
    EXPECT_EQ(kinds.size(), 5u) << "one group of each kind";
    EXPECT_GE(caravans, 1);
    FerroGroupList.Simulate(150);
    EXPECT_EQ(Logged(), "");
}

TEST_F(CompleteTest, Location1RoadsLeadThroughTheCrossingAndItsTimedSoundsResolve)
{
    ZJEngine.Load("location1.zjp");
    const int start = g_RoadManager.FindNodeByName("B_L1_CEH");
    const int goal = g_RoadManager.FindNodeByName("B_L1_TUNNEL");
    ASSERT_GE(start, 0);
    ASSERT_GE(goal, 0);
    XDynamicArray<int32_t> path;
    ASSERT_EQ(g_RoadManager.GetNearestPath(start, goal, path), 1);
    std::vector<std::string> names;
    for (int32_t node : path)
        names.emplace_back(g_RoadManager.GetNode(node)->name);
    EXPECT_EQ(names, (std::vector<std::string> { "B_L1_CEH", "CROSSING", "B_L1_TUNNEL" }));

    const SLocMusic& music = ZJEngine.music;
    bool wind = false;
    for (uint32_t i = 0; i < music.soundCount; ++i) {
        EXPECT_GE(m_sounds->GetRowNames().Find(music.sounds[i].key), 0) << music.sounds[i].key;
        wind = wind || std::string_view(music.sounds[i].key) == "SND_WIND";
    }
    EXPECT_TRUE(wind);
    EXPECT_EQ(Logged(), "");
}

// The start screen and the list windows: every picture and texture the menus ask for, with the
// sizes their layouts rely on, the start scene with its start points, the list icons and tool-tip
// pieces painted in the interface atlas, and the network locations zoq-ui lists.
TEST_F(CompleteTest, MenusFindTheirPicturesTexturesSceneAndNetworkLocations)
{
    struct Size {
        const char* name;
        int32_t width;
        int32_t height;
    };
    const int32_t sheetWidth = 10 * CMainMenuButton::kColumn;
    for (const Size& row : std::initializer_list<Size> {
             { "SUF_MAINMENU_BUTTONS", sheetWidth, (CMainMenuButton::kIdleRow + 1) * CMainMenuButton::kRow },
             { "SUF_MAINMENU_BUTSHL", sheetWidth, 10 * CMainMenuButton::kRow },
             { "SUF_MAINMENU_FADE", CMainMenuButton::kColumn, 8 * CMainMenuButton::kRow },
             { "SUF_MAINMENU_BUTTON", 224, 48 }, { "SUF_MAINMENU_BUTTON2", 200, 36 },
             { "SUF_MAINMENU_GAMES", 608, 340 } }) {
        const int index = m_surfaces->FindSurface(row.name);
        ASSERT_GE(index, 0) << row.name;
        int32_t width = 0, height = 0;
        m_surfaces->GetSize(index, width, height);
        EXPECT_EQ(width, row.width) << row.name;
        EXPECT_EQ(height, row.height) << row.name;
    }
    // The five buttons fit the panel; the front covers the back.
    int32_t backWidth = 0, backHeight = 0, frontWidth = 0, frontHeight = 0;
    m_surfaces->GetSize(m_surfaces->FindSurface("SUF_MAINMENU_BACK"), backWidth, backHeight);
    m_surfaces->GetSize(m_surfaces->FindSurface("SUF_MAINMENU_FRONT"), frontWidth, frontHeight);
    EXPECT_GE(backWidth, CMenu1::kButtonInset + CMainMenuButton::kColumn);
    EXPECT_GE(backHeight, int32_t(4 * CMenu1::kButtonPitch) + 3 + CMainMenuButton::kRow);
    EXPECT_EQ(frontWidth, backWidth);
    EXPECT_EQ(frontHeight, backHeight);
    for (const char* name : CMenu1::kSurfaceNames)
        EXPECT_GE(m_surfaces->FindSurface(name), 0) << name;
    for (const char* name : { "SUF_LOGO_LEFT", "SUF_LOGO_RIGHT", "SUF_CAPTIONS", "SUF_HTML_RAMKA" })
        EXPECT_GE(m_surfaces->FindSurface(name), 0) << name;
    for (const char* name :
        { "TEX_INT_ZJ_B_BUMP", "TEX_INT_ZJ_L_BUMP", "TEX_INT_ZJ_R_BUMP", "TEX_INT_ZJ_A_BUMP",
            "TEX_INT_ZJ_EL_BUMP", "TEX_INT_ZJ_ER_BUMP", "TEX_INT_ZJ_F_BUMP", "TEX_INT_ZJ_GAMES_BUMP",
            "TEX_INT_NOISE", "TEX_INT_INTERLACE", "TEX_INT_PROK", "TEX_INT_CURSOR", "TEX_INT_CURSOR_BLUE" }) {
        const int index = m_textures->FindTexture(name);
        ASSERT_GE(index, 0) << name;
        EXPECT_NE(m_textures->GetTexture(index), nullptr) << name;
    }
    for (const char* name :
        { "SND_INT_ONLINK", "SND_MAINMENU_DOWNBUTTON", "SND_MAINMENU_UPBUTTON", "SND_INT_LIST_ITEM" })
        EXPECT_GE(m_sounds->GetRowNames().Find(name), 0) << name;
    EXPECT_GE(m_music->GetRowNames().Find("MUS_MENU"), 0);

    // The list icons, the tool-tip frame and the scroll bar are painted where the menus cut them.
    const auto paintedIn = [&](const char* name, int32_t size, const SAtlasPiece* pieces, int count) {
        CTexture* atlasTexture = m_textures->GetTexture(m_textures->FindTexture(name));
        ASSERT_NE(atlasTexture, nullptr) << name;
        ASSERT_NE(atlasTexture->GetTexture(), nullptr) << name;
        plat::gfx::Texture& texture = *atlasTexture->GetTexture();
        ASSERT_EQ(texture.Width(), uint32_t(size)) << name;
        plat::gfx::LockedRect locked;
        ASSERT_EQ(texture.LockRect(0, locked, nullptr, plat::gfx::lock::kReadOnly), plat::gfx::Result::Ok);
        for (int i = 0; i < count; ++i) {
            const SAtlasPiece& piece = pieces[i];
            int unpainted = 0;
            for (int32_t y = piece.v; y < piece.v + piece.height; ++y)
                for (int32_t x = piece.u; x < piece.u + piece.width; ++x) {
                    uint32_t texel = 0;
                    std::memcpy(
                        &texel, static_cast<const uint8_t*>(locked.bits) + y * locked.pitch + x * 4, 4);
                    unpainted += (texel >> 24) == 0;
                }
            EXPECT_EQ(unpainted, 0) << name << " " << piece.u << "," << piece.v;
        }
        texture.UnlockRect(0);
    };
    const SAtlasPiece icons[atlas::kIconCount] = { atlas::Icon(0), atlas::Icon(1), atlas::Icon(2) };
    paintedIn(atlas::kTexture, atlas::kSize, icons, atlas::kIconCount);
    paintedIn(atlas::kTexture, atlas::kSize, atlas::kToolTip, 9);
    const SAtlasPiece counts[2] = { atlas::kNoCountIcon, atlas::kCountIcon };
    paintedIn(atlas::kTexture, atlas::kSize, counts, 2);
    paintedIn(atlas::kScrollTexture, atlas::kScrollSize, atlas::kScroll, 6);

    // The start scene loads with two start points.
    ASSERT_EQ(ZJEngine.Load("start.zjp"), 1);
    EXPECT_NE(ObjectList.GetRandomSysObj(9), nullptr);
    int startPoints = 0;
    for (const char* name : { "START1", "START2" })
        startPoints += ObjectList.FindHelperPoint(MakeNameKey32(name)) != nullptr;
    EXPECT_EQ(startPoints, 2);

    const zoq::test::RunResult run = zoq::test::RunProgram(ZOQ_UI_PROGRAM, { "list", m_dir.string(), "net" });
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(zoq::test::SplitLines(run.out).size(), 2u) << run.out;
    EXPECT_EQ(run.out.find("skipped"), std::string::npos) << run.out;
    EXPECT_EQ(Logged(), "");
}

// The conversions of a printf format as the menus' text tables spell them: "s" for a text, "d"
// for any other value; "%%" counts none.
std::string Conversions(const std::string& format)
{
    std::string found;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        size_t j = i + 1;
        while (j < format.size() && std::strchr("-+ #0123456789.", format[j]))
            ++j;
        if (j < format.size() && format[j] != '%')
            found += format[j] == 's' ? 's' : 'd';
        i = j;
    }
    return found;
}

} // namespace

// The settings program on the generated folder: every key it reads is in cfg.ini with a value its
// control can hold, every binding is a key-code name, "Joy<n>" or empty, and the key-code table
// names the six mouse buttons.
TEST_F(CompleteTest, EndTitlesMusicAndTheNetworkFailureResolve)
{
    struct Size {
        const char* name;
        int32_t width;
        int32_t height;
    };
    // The pages are cut 1024 x 128 from the page row, the titles 512 wide down to their height.
    for (const Size& row : std::initializer_list<Size> { { "SUF_WIN1", 800, 600 }, { "SUF_WIN2", 800, 600 },
             { "SUF_ENDTEXT", 1024, 6 * 128 }, { "SUF_TITLES", 512, 2000 } }) {
        const int index = m_surfaces->FindSurface(row.name);
        ASSERT_GE(index, 0) << row.name;
        int32_t width = 0, height = 0;
        m_surfaces->GetSize(index, width, height);
        EXPECT_EQ(width, row.width) << row.name;
        EXPECT_EQ(height, row.height) << row.name;
    }
    for (const char* name : { "MUS_LOC1", "MUS_FIGHT", "MUS_CALM", "MUS_DEATH", "MUS_OBSERVER" })
        EXPECT_GE(m_music->GetRowNames().Find(name), 0) << name;
    CZJScriptManager manager;
    manager.Init();
    CXAnsiString text;
    EXPECT_TRUE(manager.GetText("INT_NET_FAIL", text));
    EXPECT_NE(text.Length(), 0u);
}

TEST_F(CompleteTest, TunvardFindsEveryKeyItReadsWithinItsRange)
{
    const std::string cfg = "Data\\CONFIG\\cfg.ini";
    const auto value = [&](const SConfigKey& key) {
        char text[64] = {};
        plat::win::ReadProfileString(cfg, key.section, key.key, "<absent>", text, sizeof text);
        return std::string(text);
    };
    for (const SSettingKey& row : kSettingKeys) {
        const std::string text = value(*row.key);
        const std::string name = std::string("[") + row.key->section + "] " + row.key->key;
        ASSERT_NE(text, "<absent>") << name;
        char* end = nullptr;
        const long number = std::strtol(text.c_str(), &end, 10);
        EXPECT_TRUE(!text.empty() && *end == '\0') << name << " = " << text;
        EXPECT_GE(number, row.min) << name;
        EXPECT_LE(number, row.max) << name;
        EXPECT_EQ((number - row.min) % row.step, 0) << name;
    }

    KeyCodeTable keyCodes;
    keyCodes.Load();
    const auto isBinding = [&](const std::string& text) {
        if (text.empty() || keyCodes.Find(text) >= 0)
            return true;
        if (text.size() < 4 || text.compare(0, 3, "Joy") != 0
            || text.find_first_not_of("0123456789", 3) != std::string::npos)
            return false;
        const long button = std::strtol(text.c_str() + 3, nullptr, 10);
        return button >= 1 && button <= 128;
    };
    for (const SInputRow& row : kInputRows) {
        for (const SConfigKey* key : { row.binding, row.layout }) {
            const std::string text = value(*key);
            ASSERT_NE(text, "<absent>") << key->section << " " << key->key;
            EXPECT_TRUE(isBinding(text)) << key->section << " " << key->key << " = " << text;
        }
    }
    for (uint16_t code = 257; code <= 262; ++code) {
        bool found = false;
        for (int i = 0; i < keyCodes.Count(); ++i)
            found = found || keyCodes.Row(i).code == code;
        EXPECT_TRUE(found) << "DICode.ini lacks code " << code;
    }
}

// Every object of location1 stands on its ground: its source height above the terrain under it.
// A hovering object let go 10 units above START1 settles 6 to 12 units above the ground.
TEST_F(CompleteTest, Location1ObjectsStandOnTheGroundAndAHoverAboveStart1Settles)
{
    std::map<std::tuple<int, float, float>, float> heights; // source z by (code, x, y)
    Vec3 start {};
    std::istringstream source(ReadText(fs::path(ZOQ_DATA_DIR) / "locations/location1.txt"));
    for (std::string line; std::getline(source, line);) {
        std::istringstream words(line);
        std::string word, type;
        int code = 0;
        float x = 0, y = 0, z = 0;
        if (!(words >> word && word == "object" && words >> code >> type >> x >> y >> z))
            continue;
        heights[{ code, x, y }] = z;
        if (line.find("prop=START1") != std::string::npos)
            start = Vec3 { x, y, z };
    }
    ASSERT_NE(start.x, 0.0f) << "START1 is in the source";

    Location.SizeBufferPools(8, 8);
    ZJEngine.Load("location1.zjp");
    int checked = 0;
    for (const CZJObject* object : ObjectList.Objects()) {
        const Vec3 p = object->frame.position;
        const auto it = heights.find({ object->type, p.x, p.y });
        if (it == heights.end())
            continue;
        ++checked;
        EXPECT_NEAR(p.z, it->second + Location.GetHeight(p, true, true), 0.01f) << p.x << "," << p.y;
    }
    EXPECT_GT(checked, 10);
    const float ground = Location.GetHeight(start, true, true);

    const zoq::test::RunResult run = zoq::test::RunProgram(ZOQ_WORLD_PROGRAM,
        { "hover", m_dir.string(), "location1.zjp", std::to_string(start.x), std::to_string(start.y),
            std::to_string(start.z + ground + 10.0f), "10" });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::istringstream out(run.out);
    std::string last;
    std::string settled;
    for (std::string line; std::getline(out, line);)
        (line.starts_with("t ") ? last : settled) = line;
    EXPECT_EQ(settled, "settled 1") << run.out;
    std::istringstream words(last);
    std::string word;
    float t = 0, x = 0, y = 0, z = 0, g = 0;
    ASSERT_TRUE(words >> word >> t >> word >> x >> y >> z >> word >> g) << last;
    EXPECT_FLOAT_EQ(t, 10.0f);
    EXPECT_GE(z - g, 6.0f) << last;
    EXPECT_LE(z - g, 12.0f) << last;
}

// The object list's queries on location1: a ray from 5 units above START1 towards B_CEH meets the
// building; a radius query at STN_ROCK finds its three stones; 60 frames from START1 facing 45
// degrees see objects every frame and log nothing.
TEST_F(CompleteTest, Location1QueriesMeetItsObjectsAndFramesSeeThem)
{
    std::map<std::string, Vec3> placed; // source position by type id or prop
    std::istringstream source(ReadText(fs::path(ZOQ_DATA_DIR) / "locations/location1.txt"));
    for (std::string line; std::getline(source, line);) {
        std::istringstream words(line);
        std::string word, type;
        int code = 0;
        float x = 0, y = 0, z = 0;
        if (!(words >> word && word == "object" && words >> code >> type >> x >> y >> z))
            continue;
        placed[type] = Vec3 { x, y, z };
        if (const size_t prop = line.find("prop="); prop != std::string::npos)
            placed[line.substr(prop + 5, line.find(' ', prop) - prop - 5)] = Vec3 { x, y, z };
    }
    ASSERT_TRUE(placed.contains("START1") && placed.contains("B_CEH") && placed.contains("STN_ROCK"));
    Location.SizeBufferPools(8, 8);
    ZJEngine.Load("location1.zjp");
    const auto onGround = [](Vec3 p) {
        p.z += Location.GetHeight(p, true, true);
        return p;
    };
    const Vec3 start = onGround(placed["START1"]);
    const Vec3 building = onGround(placed["B_CEH"]);
    const Vec3 rock = onGround(placed["STN_ROCK"]);
    const auto run = [&](const std::vector<std::string>& arguments) {
        std::vector<std::string> all { arguments[0], m_dir.string(), "location1.zjp" };
        all.insert(all.end(), arguments.begin() + 1, arguments.end());
        return zoq::test::RunProgram(ZOQ_WORLD_PROGRAM, all);
    };
    const auto text = [](float value) { return std::to_string(value); };

    // Aimed at the building's body (2 up, 1 aside: off the vertical edges that a line from START1
    // meets exactly) and on through it.
    const Vec3 eye { start.x, start.y, start.z + 5.0f };
    const Vec3 to { building.x + 1.0f - eye.x, building.y - eye.y, building.z + 2.0f - eye.z };
    const float length = std::sqrt(to.x * to.x + to.y * to.y + to.z * to.z);
    const zoq::test::RunResult ray = run({ "query", "ray", text(eye.x), text(eye.y), text(eye.z),
        text(to.x / length), text(to.y / length), text(to.z / length), text(length + 20.0f) });
    ASSERT_EQ(ray.exitCode, 0) << ray.err;
    std::istringstream hit(ray.out);
    std::string word;
    int id = 0;
    int type = 0;
    ASSERT_TRUE(hit >> word >> id >> type) << ray.out;
    EXPECT_EQ(word, "hit") << ray.out;
    EXPECT_EQ(type, CZJObject::kBuilding) << ray.out;

    const zoq::test::RunResult near
        = run({ "query", "near", text(rock.x), text(rock.y), text(rock.z), "100", "3" });
    ASSERT_EQ(near.exitCode, 0) << near.err;
    EXPECT_TRUE(near.out.ends_with("count 3\n")) << near.out;

    const zoq::test::RunResult frames
        = run({ "frames", text(start.x), text(start.y), text(start.z + 5.0f), "45", "60" });
    ASSERT_EQ(frames.exitCode, 0) << frames.err;
    std::istringstream lines(frames.out);
    int counted = 0;
    std::string last;
    for (std::string line; std::getline(lines, line); last = line) {
        if (!line.starts_with("frame "))
            continue;
        std::istringstream fields(line);
        int frame = 0;
        int visible = 0;
        ASSERT_TRUE(fields >> word >> frame >> word >> visible) << line;
        EXPECT_GT(visible, 0) << line;
        ++counted;
    }
    EXPECT_EQ(counted, 60);
    EXPECT_TRUE(last.starts_with("objects ") && last.ends_with(" logged 0")) << frames.out;
}

// Every land material's detail models and its detail and bump textures resolve; grass and sand
// carry the tufts and pebbles.
TEST_F(CompleteTest, EveryMaterialsDetailModelsAndTexturesResolve)
{
    g_ResourceDBManager.SelectSection(CP1251("Поверхности"), false);
    for (int i = 0; i < m_land->GetRowCount(); ++i) {
        const char* section = m_land->GetRowNames().GetString(i);
        for (int l = 0; l < SLandMaterial::kLayers; ++l) {
            const std::string key = "MODEL" + std::string(1, char('1' + l));
            char model[64] = {};
            g_ResourceDBManager.GetString(section, key.c_str(), model, sizeof model);
            if (model[0]) {
                EXPECT_GE(m_models->FindModel(model), 0) << section << " " << key;
            }
        }
        for (const char* key : { "TextureDetail", "TextureBump" }) {
            char texture[64] = {};
            g_ResourceDBManager.GetString(section, key, texture, sizeof texture);
            if (texture[0]) {
                EXPECT_GE(m_textures->FindTexture(texture), 0) << section << " " << key;
            }
        }
    }
    for (const char* name : { "LAND_GRASS", "LAND_SAND" }) {
        bool pebbles = false;
        for (int i = 0; i < m_land->GetMaterialCount(); ++i) {
            const SLandMaterial& material = m_land->GetMaterial(i);
            if (std::strcmp(material.name, name) != 0)
                continue;
            for (const SLandLayer& layer : material.layers)
                pebbles |= layer.model == m_models->FindModel("MOD_DETAIL_PEBBLE") && layer.frequency >= 0.5f;
        }
        EXPECT_TRUE(pebbles) << name;
    }
    EXPECT_EQ(Logged(), "");
}

// The dot-product bump layers read their texture as colour: a normal map loaded at 32 bits (not
// made into a du/dv texture), every texel (n + 1) / 2 of a unit normal pointing up in blue.
TEST_F(CompleteTest, BumpLayerTexturesAreNormalMapsReadAsColour)
{
    int bumped = 0;
    for (int i = 0; i < m_land->GetMaterialCount(); ++i) {
        const SLandMaterial& material = m_land->GetMaterial(i);
        if (!(material.specDetail || material.diffBump) || material.textureBump < 0)
            continue;
        ++bumped;
        const TextureRecord& record = m_textures->GetRecord(material.textureBump);
        EXPECT_NE(record.type, 3u) << material.name << ": " << record.filename;
        CTexture* texture = m_textures->GetTexture(material.textureBump);
        ASSERT_NE(texture, nullptr);
        plat::gfx::Texture* levels = texture->GetTexture();
        ASSERT_NE(levels, nullptr);
        ASSERT_TRUE(levels->GetFormat() == plat::gfx::Format::A8R8G8B8
            || levels->GetFormat() == plat::gfx::Format::X8R8G8B8)
            << record.filename;
        plat::gfx::LockedRect locked;
        ASSERT_EQ(levels->LockRect(0, locked, nullptr, plat::gfx::lock::kReadOnly), plat::gfx::Result::Ok);
        int wrong = 0;
        for (uint32_t y = 0; y < levels->Height(); ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(
                static_cast<const uint8_t*>(locked.bits) + size_t(y) * size_t(locked.pitch));
            for (uint32_t x = 0; x < levels->Width(); ++x) {
                auto part = [&](int shift) { return (float((row[x] >> shift) & 0xFF) - 128.0f) / 127.0f; };
                const float nx = part(16), ny = part(8), nz = part(0);
                const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
                wrong += !(std::fabs(length - 1.0f) < 0.03f && nz > 0.0f);
            }
        }
        levels->UnlockRect(0);
        EXPECT_EQ(wrong, 0) << material.name << ": " << record.filename;
    }
    EXPECT_GE(bumped, 1);
}

// zoq-map view on the null device, looking north over the pond from 12 units up on its southern shore: near
// and far cells, quads at levels 2 and 3, the pond's water, detail layers and detail objects.
TEST_F(CompleteTest, TheMapViewOverThePondShowsTerrainWaterAndDetails)
{
    const zoq::test::RunResult run = zoq::test::RunProgram(ZOQ_MAP_PROGRAM,
        { "view", "--null", m_dir.string(), "location1.zjp", "880", "1790", "12", "10", "-8" });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    int visible = 0, near = 0, far = 0, quads[3] = {}, water = 0, layers = 0, objects = 0, deferred = 0,
        draws = 0;
    const int read = std::sscanf(run.out.c_str(),
        "cells %d near=%d far=%d\nquads %d %d %d\nwater %d\ndetails layers=%d objects=%d deferred=%d\ndraws "
        "%d",
        &visible, &near, &far, &quads[0], &quads[1], &quads[2], &water, &layers, &objects, &deferred, &draws);
    ASSERT_EQ(read, 11) << run.out;
    EXPECT_EQ(visible, near + far);
    EXPECT_GE(near, 1);
    EXPECT_GE(far, 1);
    EXPECT_GE(quads[1], 1);
    EXPECT_GE(quads[2], 1);
    EXPECT_GE(water, 1);
    EXPECT_GE(layers, 1);
    EXPECT_GE(objects + deferred, 1);
    EXPECT_GT(draws, 0);
}

// The same pose on the gl device: looking 8 degrees down, the upper screen above the horizon ring
// shows the sky (its clear colour under the cloud dome) across the whole top row, never the frame's
// black.
TEST_F(CompleteTest, TheMapViewPitchedDownShowsTheSkyOnTop)
{
    const fs::path picture = m_dir / "view.bmp";
    const zoq::test::RunResult run = zoq::test::RunProgram(ZOQ_MAP_PROGRAM,
        { "view", m_dir.string(), "location1.zjp", "880", "1790", "12", "10", "-8", picture.string() });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string bmp = zoq::test::ReadText(picture);
    ASSERT_GE(bmp.size(), 54u);
    auto field = [&](size_t offset, size_t bytes) {
        uint32_t value = 0;
        std::memcpy(&value, bmp.data() + offset, bytes);
        return value;
    };
    const uint32_t start = field(10, 4), width = field(18, 4), height = field(22, 4), bits = field(28, 2);
    ASSERT_EQ(bits, 32u);
    ASSERT_EQ(bmp.size(), start + size_t(width) * height * 4);
    // Rows are stored bottom-up: the top row is the last.
    const size_t top = start + size_t(height - 1) * width * 4;
    int black = 0;
    for (uint32_t x = 0; x < width; ++x)
        black += (field(top + x * 4, 4) & 0xFFFFFFu) == 0;
    EXPECT_EQ(black, 0);
}

// The cockpit atlas paints every texel the cockpit cuts from it (clipped to the atlas), keeps
// columns 0 and 1 of rows 174-367 clear for the bracket that wraps onto them, and the warning
// words have eight rows of 30 pixels; every equipment lamp has an icon cell.
TEST_F(CompleteTest, CockpitAtlasPaintsEveryPieceAndWarningsHaveEightRows)
{
    CTexture* atlas = m_textures->GetTexture(m_textures->FindTexture("TEX_KT_ALL"));
    ASSERT_NE(atlas, nullptr);
    ASSERT_NE(atlas->GetTexture(), nullptr);
    plat::gfx::Texture& texture = *atlas->GetTexture();
    ASSERT_EQ(texture.Width(), 512u);
    ASSERT_EQ(texture.Height(), 512u);
    plat::gfx::LockedRect locked;
    ASSERT_EQ(texture.LockRect(0, locked, nullptr, plat::gfx::lock::kReadOnly), plat::gfx::Result::Ok);
    const auto alpha = [&](int x, int y) {
        uint32_t texel = 0;
        std::memcpy(&texel, static_cast<const uint8_t*>(locked.bits) + y * locked.pitch + x * 4, 4);
        return texel >> 24;
    };
    const auto keptClear = [](int x, int y) { return x < 2 && y >= 174 && y < 368; };
    for (const SKokpitPiece& piece : KokpitPieces()) {
        int unpainted = 0;
        for (int y = piece.v; y < std::min(piece.v + piece.height, 512); ++y)
            for (int x = piece.u; x < std::min(piece.u + piece.width, 512); ++x)
                unpainted += alpha(x, y) == 0 && !keptClear(x, y);
        EXPECT_EQ(unpainted, 0) << piece.name;
    }
    for (int y = 174; y < 368; ++y) {
        for (int x = 0; x < 2; ++x)
            ASSERT_EQ(alpha(x, y), 0u) << x << "," << y;
    }
    texture.UnlockRect(0);

    int32_t width = 0;
    int32_t height = 0;
    m_surfaces->GetSize(m_surfaces->FindSurface("SUF_INT_TEXT"), width, height);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 8 * 30);

    for (int i = 0; i < g_EquipmentManager.EquipmentCount(); ++i) {
        const SEquipmentType& row = g_EquipmentManager.GetEquipment(i);
        EXPECT_TRUE(!row.lamp || (row.icon >= 0 && row.icon < 64)) << i;
    }
}

// Every projectile row fired from 40 units above a flat spot of location1, 30 degrees below the
// horizon, runs (and draws) at 0.02 s until it and its sub-missiles are gone (at most 60 s): no
// position goes NaN, rockets and bombs leave their explosion, and nothing is logged.
TEST_F(CompleteTest, EveryProjectileFliesAndEndsOverLocation1)
{
    Location.SizeBufferPools(8, 8);
    ZJEngine.Load("location1.zjp");
    Vec3 spot {};
    bool found = false;
    for (float y = 600; y < 4000 && !found; y += 160) {
        for (float x = 600; x < 4000 && !found; x += 160) {
            const float h = Location.GetHeight(Vec3 { x, y, 0 }, true, true);
            found = true;
            for (float dx = -100; dx <= 100; dx += 20)
                for (float dy = -40; dy <= 40; dy += 20)
                    found = found && Location.GetHeight(Vec3 { x + dx, y + dy, 0 }, true, true) == h
                        && Location.GetHeight(Vec3 { x + dx, y + dy, 0 }, false, true) == h;
            spot = Vec3 { x, y, h };
        }
    }
    ASSERT_TRUE(found);
    const float savedFrameTime = FrameTime;
    const float savedPrevFrameTime = prevFrameTime;
    const double savedClock = GameClock;
    FrameTime = prevFrameTime = 0.02f;
    const float pitch = std::numbers::pi_v<float> / 6.0f;
    const Vec3 heading { std::cos(pitch), 0.0f, -std::sin(pitch) };
    for (int row = 0; row < g_MissileManager.GetRowCount(); ++row) {
        const SMissileType& desc = g_MissileManager.GetDesc(row);
        const char* name = g_MissileManager.GetRowNames().GetString(row);
        CTransform frame;
        frame.SetDirection(heading);
        frame.SetPosition(Vec3 { spot.x - 60.0f, spot.y, spot.z + 40.0f });
        NameKey32 key {};
        std::memcpy(key.text, &row, 4);
        const int32_t before = ObjectList.lastObjectId;
        g_MissileManager.CreateObject(key, frame.matrix.m, nullptr);
        bool exploded = false;
        bool flying = true;
        for (int step = 0; step < 3000 && flying; ++step) {
            ObjectList.Run();
            ObjectList.PreMove();
            ObjectList.CheckCollision();
            ObjectList.Move();
            ObjectList.Pack();
            GameClock += 0.02;
            flying = false;
            for (CZJObject* object : ObjectList.Objects()) {
                const Vec3& p = object->frame.position;
                if (object->type == CZJObject::kMissile) {
                    flying = true;
                    object->DrawEffect(0);
                    ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << name;
                }
                exploded = exploded
                    || (object->type == CZJObject::kExplosion && object->id > before
                        && object->typeIndex == desc.explosion.Index());
            }
        }
        EXPECT_FALSE(flying) << name;
        EXPECT_TRUE(exploded || (desc.kind != 2 && desc.kind != 4)) << name;
    }
    FrameTime = savedFrameTime;
    prevFrameTime = savedPrevFrameTime;
    GameClock = savedClock;
    EXPECT_EQ(Logged(), "");
}

// Every explosion row made on the ground of location1 (its objects cleared) runs at 0.02 s until
// it has removed itself and its splinters have landed and gone (at most 70 s): no position goes
// NaN and nothing is logged.
TEST_F(CompleteTest, EveryExplosionPlaysOutOnTheGroundOfLocation1)
{
    Location.SizeBufferPools(8, 8);
    ZJEngine.Load("location1.zjp");
    ObjectList.Clear();
    Vec3 spot {};
    bool found = false;
    for (float y = 600; y < 4000 && !found; y += 160) {
        for (float x = 600; x < 4000 && !found; x += 160) {
            const float h = Location.GetHeight(Vec3 { x, y, 0 }, false, true);
            found = Location.GetHeight(Vec3 { x, y, 0 }, true, true) == h;
            spot = Vec3 { x, y, h };
        }
    }
    ASSERT_TRUE(found);
    const float savedFrameTime = FrameTime;
    FrameTime = 0.02f;
    for (int row = 0; row < g_ExploManager.RowCount(); ++row) {
        const char* name = g_ExploManager.GetRowNames().GetString(row);
        Matrix4 placement;
        Matrix4Identity(placement);
        placement.m[12] = spot.x;
        placement.m[13] = spot.y;
        placement.m[14] = spot.z;
        NameKey32 key {};
        std::memcpy(key.text, &row, 4);
        g_ExploManager.CreateObject(key, placement.m, nullptr);
        std::set<int32_t> splinters;
        std::set<int32_t> landed;
        bool running = true;
        for (int step = 0; step < 3500 && running; ++step) {
            ObjectList.Run();
            ObjectList.PreMove();
            ObjectList.CheckCollision();
            ObjectList.Move();
            ObjectList.Pack();
            running = false;
            for (const CZJObject* object : ObjectList.Objects()) {
                if (object->type != CZJObject::kExplosion && object->type != CZJObject::kSplinter)
                    continue;
                running = true;
                const Vec3& p = object->frame.position;
                ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << name;
                if (object->type == CZJObject::kSplinter) {
                    splinters.insert(object->id);
                    if (!object->moves)
                        landed.insert(object->id);
                }
            }
        }
        EXPECT_FALSE(running) << name;
        EXPECT_EQ(landed, splinters) << name;
        ObjectList.Clear();
    }
    FrameTime = savedFrameTime;
    EXPECT_EQ(Logged(), "");
}

// The event sink's pickup, kill and journal texts exist with the conversions it formats.
TEST_F(CompleteTest, EventTextsTakeTheValuesTheSinkFormats)
{
    CZJScriptManager manager;
    manager.Init();
    for (const CZJAppEventSink::STextUse& text : CZJAppEventSink::kTexts) {
        CXAnsiString format;
        ASSERT_TRUE(manager.GetText(text.key, format)) << text.key;
        EXPECT_EQ(Conversions(format.Text()), text.values) << text.key;
    }
}

// The building menu: every text it names exists with the conversions it formats, its sounds and
// backgrounds have rows, location1 has a building of every kind the menu treats apart, the
// workshop offers an item of every kind, and the sectors a tunnel jump leads to load with their
// tunnel buildings and scripts.
TEST_F(CompleteTest, BuildingMenuFindsItsTextsSoundsBackgroundsBuildingsAndSectors)
{
    CZJScriptManager manager;
    manager.Init();
    for (const CBuildingMenu::STextUse& text : CBuildingMenu::kTexts) {
        CXAnsiString name;
        ASSERT_TRUE(manager.GetTextName(text.key, name)) << text.key;
        EXPECT_EQ(Conversions(name.Text()), text.values) << text.key;
    }
    for (int sector = 1; sector <= 3; ++sector) {
        CXAnsiString name;
        EXPECT_TRUE(manager.GetTextName(("INFO_SECTOR" + std::to_string(sector)).c_str(), name)) << sector;
    }
    for (const char* sound : CBuildingMenu::kSounds)
        EXPECT_GE(m_sounds->GetRowNames().Find(sound), 0) << sound;
    for (const char* picture : CBuildingMenu::kBackgrounds)
        EXPECT_GE(m_surfaces->FindSurface(picture), 0) << picture;
    EXPECT_GE(g_pModelManager->FindModel("MOD_TOV_DEFAULT"), 0);

    ASSERT_EQ(ZJEngine.Load("location1.zjp"), 1);
    std::set<int32_t> kinds;
    for (const auto& [building, type] :
        std::initializer_list<std::pair<const char*, const char*>> { { "B_L1_CEH", "B_CEH" },
            { "B_L1_TRANSFER", "B_TRANSFER" }, { "B_L1_PLANT", "B_PLANT" }, { "B_L1_TUNNEL", "B_TUNNEL" } }) {
        EXPECT_NE(ObjectList.FindObject(MakeNameKey32(building), 11), nullptr) << building;
        CXAnsiString name;
        EXPECT_TRUE(manager.GetTextName(building, name)) << building;
        const int row = g_BuildingManager.FindRow(type);
        ASSERT_GE(row, 0) << type;
        kinds.insert(g_BuildingManager.GetDesc(row).kind);
    }
    kinds.insert(g_BuildingManager.GetDesc(g_BuildingManager.FindRow("B_STORE")).kind);
    EXPECT_EQ(kinds, (std::set<int32_t> { 1, 3, 4, 6, 9 }));
    for (int org = 0; org < g_OrgManager.GetRowNames().Count(); ++org) {
        const char* key = g_OrgManager.GetRowNames().GetString(org);
        CXAnsiString text;
        if (std::string_view(key) != "ORG_NPC" && std::string_view(key) != "ORG_OLD") {
            EXPECT_TRUE(manager.GetText(key, text)) << key;
        }
    }
    for (int32_t kind = CZJTrade::kGliders; kind <= CZJTrade::kAmmunition; ++kind) {
        XDynamicArray<SBuildingTrade*> offers;
        ZJTrade.GetGoodInfo(MakeNameKey32("B_L1_CEH"), kind, offers, false);
        EXPECT_GT(offers.Count(), 0) << "offers of kind " << kind;
    }

    for (int sector = 2; sector <= 3; ++sector) {
        char target[64];
        ASSERT_TRUE(CBuildingMenu::JumpFileName("location1.zjp", sector, target));
        ASSERT_EQ(ZJEngine.Load(target), 1) << target;
        const std::string tunnel = "B_L" + std::to_string(sector) + "_TUNNEL";
        EXPECT_NE(ObjectList.FindObject(MakeNameKey32(tunnel.c_str()), 11), nullptr) << tunnel;
        const std::string script = "LOCATION" + std::to_string(sector);
        EXPECT_NE(manager.ZJLoadScript(script.c_str(), 1), nullptr) << script;
        EXPECT_NE(manager.ZJLoadScript(tunnel.c_str(), 1), nullptr) << tunnel;
    }
    EXPECT_EQ(Logged(), "");
}

// The in-base and in-flight menus' frame: every picture and texture their background looks up,
// the bar picture's size, the tool-tips of every tool bar, the texts, model and sound of the
// in-flight pages, and the first organisation with its politics and group script.
TEST_F(CompleteTest, InBaseFrameToolBarsAndFlightMenuFindTheirData)
{
    for (const char* name :
        { "SUF_INT_PANEL_L", "SUF_INT_MASK_L", "SUF_INT_PANEL_R", "SUF_INT_MASK_R", "SUF_INT_PANEL_R2",
            "SUF_INT_MASK_R2", "SUF_INT_CORNER_U", "SUF_INT_CORNER_D", "SUF_FON_BASE", "SUF_FON_FERRO",
            "SUF_INT_PANEL_U", "SUF_INT_MASK_U", "SUF_INT_PANEL_D", "SUF_INT_MASK_D", "SUF_INT_MASK_S",
            "SUF_INT_BS", "SUF_INT_INFO", "SUF_INT_MASK_I", "SUF_INT_BUTTON", "SUF_INT_MASK_BUTTON" }) {
        const int index = m_surfaces->FindSurface(name);
        ASSERT_GE(index, 0) << name;
        EXPECT_NE(m_surfaces->GetSurface(index), nullptr) << name;
    }
    int32_t width = 0, height = 0;
    m_surfaces->GetSize(m_surfaces->FindSurface("SUF_INT_BS"), width, height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 512);
    for (const char* name : { "TEX_INT_CRIST", "TEX_INT_GRID", "TEX_INT_ZAGLUSHKA", "TEX_INT_BM_S_BUMP",
             "TEX_INT_BM_UP_BUMP", "TEX_INT_BM_DP_BUMP", "TEX_INT_BM_L_BUMP", "TEX_INT_BM_R_BUMP",
             "TEX_INT_BM_R2_BUMP", "TEX_INT_BM_UC_BUMP", "TEX_INT_BM_DC_BUMP", "TEX_INT_BM_Z_BUMP" }) {
        const int index = m_textures->FindTexture(name);
        ASSERT_GE(index, 0) << name;
        EXPECT_NE(m_textures->GetTexture(index), nullptr) << name;
    }

    CZJScriptManager manager;
    manager.Init();
    std::set<std::string> tips;
    const auto addTips = [&](const ToolBarTable& bar) {
        for (const SToolBarSlot& slot : bar)
            if (slot.tip)
                tips.insert(slot.tip);
    };
    for (int32_t kind = -1; kind <= 12; ++kind)
        addTips(BuildingToolBar(kind, false));
    addTips(BackToolBar());
    addTips(CRTMenu::FlightToolBar(0, 0, 0));
    tips.insert("INT_TT_BACK");
    EXPECT_EQ(tips.size(), 13u);
    for (const std::string& key : tips) {
        CXAnsiString name;
        EXPECT_TRUE(manager.GetTextName(key.c_str(), name)) << key;
    }
    for (const char* key : { "INT_THEMES", "INT_BUILDINGS", "INT_POINTERS", "INT_CRT_PELENG", "INT_THINGS",
             "INT_GOODS", "INT_FERROS", "INT_CRYSTALS_TIP", "INT_MASSA_TIP", "INT_RATING_TIP" }) {
        CXAnsiString name;
        EXPECT_TRUE(manager.GetTextName(key, name)) << key;
    }
    CXAnsiString drop;
    ASSERT_TRUE(manager.GetText("INT_DROP_ITEM", drop));
    EXPECT_NE(std::string(drop.Text()).find("=LINKDROPITEM>"), std::string::npos);
    EXPECT_GE(m_models->FindModel("TOV_FERROVANT"), 0);
    EXPECT_GE(m_sounds->GetRowNames().Find("SND_INT_MAP_PLACE"), 0);

    EXPECT_GE(g_OrgManager.FindOrganisation("ORG_FIRST"), 0);
    const std::string politics = ReadText(fs::path(ZOQ_DATA_DIR) / "politics/StartPolitics.csv");
    EXPECT_TRUE(g_OrgManager.ApplyPolitics(politics));
    EXPECT_NE(manager.ZJLoadScript("ORG_FIRST", 1), nullptr);
    EXPECT_EQ(Logged(), "");
}

// The in-base menu's text panel: every text it formats exists with the conversions it passes,
// every link of the text table leads to a text, a link word of the menu or a procedure of a
// script, and every building of location1 has a script.
TEST_F(CompleteTest, MenuTextsLinksAndBuildingScriptsAreComplete)
{
    CZJScriptManager manager;
    manager.Init();
    for (const SMenuText& text : kMenuTexts) {
        CXAnsiString format;
        const bool found
            = text.inName ? manager.GetTextName(text.key, format) : manager.GetText(text.key, format);
        ASSERT_TRUE(found) << text.key;
        if (text.values[0] == '\0')
            continue;
        EXPECT_EQ(Conversions(format.Text()), text.values) << text.key;
    }

    std::set<std::string> procedures;
    for (const auto& file : fs::recursive_directory_iterator(fs::path(ZOQ_DATA_DIR) / "scripts")) {
        if (!file.is_regular_file())
            continue;
        const std::string source = ReadText(file.path());
        for (size_t at = source.find("PROC "); at != std::string::npos; at = source.find("PROC ", at + 5)) {
            const size_t end = source.find_first_of(" \r\n", at + 5);
            procedures.insert(source.substr(at + 5, end - at - 5));
        }
    }
    zoq::tools::data::TableSource table;
    std::string error;
    ASSERT_TRUE(zoq::tools::data::ParseTableSource(
        ReadText(fs::path(ZOQ_DATA_DIR) / "scripts/texts.txt"), "texts.txt", "INFORMATION", table, error))
        << error;
    int links = 0;
    for (const zoq::tools::data::TableRecord& record : table.records) {
        CXAnsiString text;
        manager.GetText(record.name.c_str(), text);
        const std::string body = text.Text();
        for (size_t at = body.find("<link:"); at != std::string::npos; at = body.find("<link:", at + 6)) {
            const std::string tag = body.substr(at + 6, body.find('>', at) - at - 6);
            const size_t equals = tag.find('=');
            if (equals == std::string::npos)
                continue;
            const std::string target = tag.substr(equals + 1);
            CXAnsiString name;
            EXPECT_TRUE(manager.GetTextName(target.c_str(), name) || IsMenuLinkWord(target)
                || procedures.count(target) > 0)
                << record.name << " links to " << target;
            ++links;
        }
    }
    EXPECT_GT(links, 0);

    ASSERT_EQ(ZJEngine.Load("location1.zjp"), 1);
    XDynamicArray<CZJObject*> buildings;
    ObjectList.GetObjectList(11, buildings);
    EXPECT_GE(buildings.Count(), 5);
    for (int32_t i = 0; i < buildings.Count(); ++i) {
        if (static_cast<const CBuildingObject*>(buildings.At(i))->IsTurning())
            continue; // never entered
        const char* name = buildings.At(i)->name;
        EXPECT_NE(manager.ZJLoadScript(name, 1), nullptr) << "building " << i << " '" << name << "'";
    }
    EXPECT_EQ(Logged(), "");
}

// Gliders on location1: the player's CFG_STARTUP glider runs 600 frames of throttle and turns
// above START1, staying 6 or more above the ground with its dust and engine sound, and fires its
// light gun and a bomb; a CFG_GUARD glider 60 units ahead fires a rocket and is hit until it dies:
// its death blast, the machine's core carried off on a splinter, and its deletion. Nothing is
// logged.
TEST_F(CompleteTest, APlayersGliderDrivesFiresAndDestroysAGuard)
{
    Vec3 start {};
    std::istringstream source(ReadText(fs::path(ZOQ_DATA_DIR) / "locations/location1.txt"));
    for (std::string line; std::getline(source, line);) {
        std::istringstream words(line);
        std::string word, type;
        int code = 0;
        float x = 0, y = 0, z = 0;
        if (words >> word && word == "object" && words >> code >> type >> x >> y >> z
            && line.find("prop=START1") != std::string::npos)
            start = Vec3 { x, y, 0.0f };
    }
    ASSERT_NE(start.x, 0.0f) << "START1 is in the source";
    Location.SizeBufferPools(8, 8);
    ZJEngine.Load("location1.zjp");
    const float savedFrameTime = FrameTime;
    const double savedClock = GameClock;
    FrameTime = 0.02f;

    const auto count = [](int type) {
        int n = 0;
        for (const CZJObject* object : ObjectList.Objects())
            n += object->type == type ? 1 : 0;
        return n;
    };

    CFerrovant playerMachine;
    CGliderObject* player = PlaceGlider(playerMachine, "CFG_STARTUP", start);
    PlayerObject = PlayerGlider = player;
    int lowest = 1000;
    int dusty = 0;
    int sounding = 0;
    for (int i = 0; i < 600; ++i) {
        m_sounds->SetListener(player->frame.position, Vec3 { 0, 1, 0 }, Vec3 { 0, 0, 1 });
        player->SetThrottle(0.5f);
        player->controlX = (i / 100) % 2 ? 0.5f : -0.5f;
        RunFrame();
        const Vec3 p = player->frame.position;
        ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << i;
        lowest = std::min(lowest, int(p.z - Location.GetHeight(p, true, true)));
        dusty += player->dust.Count() > 0 ? 1 : 0;
        sounding += player->engineSoundHandle != -1 ? 1 : 0;
    }
    EXPECT_GE(lowest, 6);
    EXPECT_GT(dusty, 0);
    EXPECT_GT(sounding, 0);

    ASSERT_GE(player->guns[CGliderObject::kBombLauncher].ammo, 1.0f) << "CFG_STARTUP carries bombs";
    ASSERT_EQ(player->guns[CGliderObject::kRocketLauncher].assigned, 1) << "CFG_STARTUP's hull takes rockets";
    const int missilesBefore = count(CZJObject::kMissile);
    for (int i = 0; i < 10; ++i) {
        player->Fire(CGliderObject::kLightGun, 1.0f);
        RunFrame();
    }
    player->Fire(CGliderObject::kRocketLauncher, 1.0f);
    RunFrame();
    EXPECT_GT(count(CZJObject::kMissile), missilesBefore) << "the rocket flies";

    // A guard ahead is shot at, aimed at its centre, until it dies.
    CFerrovant guardMachine;
    const Vec3 ahead { player->frame.position.x + 60.0f * player->frame.matrix.m[2],
        player->frame.position.y + 60.0f * player->frame.matrix.m[6], 0.0f };
    CGliderObject* guard = PlaceGlider(guardMachine, "CFG_GUARD", ahead);
    player->SetThrottle(0.0f);
    player->controlX = 0.0f;
    for (int i = 0; i < 6000 && !guard->dead; ++i) {
        Vec3 aim { guard->frame.position.x - player->frame.position.x,
            guard->frame.position.y - player->frame.position.y,
            guard->frame.position.z - player->frame.position.z };
        Vec3Normalize(player->aimDirection, aim);
        player->Fire(i % 50 == 0 ? CGliderObject::kRocketLauncher : CGliderObject::kLightGun, 1.0f);
        RunFrame();
    }
    ASSERT_EQ(guard->dead, 1);
    EXPECT_EQ(player->dead, 0);
    bool blast = false;
    bool core = false;
    for (const CZJObject* object : ObjectList.Objects()) {
        if (object->type == CZJObject::kExplosion) {
            const char* name = g_ExploManager.GetRowNames().GetStringOrDefault(object->typeIndex);
            blast = blast || std::string(name) == "EXP_GLIDER" || std::string(name) == "EXP_GLIDER_2";
        }
        if (object->type == CZJObject::kSplinter) {
            const auto* carried = static_cast<const CSplinterObject*>(object)->source;
            core = core
                || (carried && carried->type == CZJObject::kThing
                    && static_cast<const CTheThing*>(carried)->kind == 257);
        }
    }
    EXPECT_TRUE(blast);
    EXPECT_TRUE(core);
    EXPECT_TRUE(ObjectList.IsDeletePending(guard));

    // The bomb last: it falls close enough to hurt its thrower.
    const int bombsBefore = count(CZJObject::kMissile);
    player->Fire(CGliderObject::kBombLauncher, 1.0f);
    EXPECT_GT(count(CZJObject::kMissile), bombsBefore) << "the bomb falls";

    ObjectList.Clear();
    PlayerObject = nullptr;
    PlayerGlider = nullptr;
    FrameTime = savedFrameTime;
    GameClock = savedClock;
    EXPECT_EQ(Logged(), "");
}

// The start scene: the start menu's glider of CFG_STARTUP flies start.zjp's road loop for 40 s of
// frames drawn into the menu's target, leg after leg along the ground track of the trajectory
// traced for each leg, with the camera close behind, and goes round the loop; deleted, it is let
// go. Nothing is logged.
TEST_F(CompleteTest, TheStartScenesGliderFliesItsTrajectoriesRoundTheLoop)
{
    const float savedFrameTime = FrameTime;
    const double savedClock = GameClock;
    // The application's start-up: the terrain's mesh pools, the effect renderer and the view.
    Location.Init();
    EffectRenderManager.Init(1);
    ObjectList.SetViewParams(ViewFrame, 14000.0f, 1.0f, 640.0f * 50.0f / 480.0f, 50.0f);
    const std::string startUp = Logged();
    {
        CZJStartMenu menu;
        ASSERT_TRUE(menu.Init());
        ASSERT_EQ(menu.renderScene, 1);
        const CGliderObject* glider = menu.SceneGlider();
        ASSERT_NE(glider, nullptr);
        EXPECT_EQ(CameraMode, CCamera::kChase);
        ASSERT_EQ(menu.SceneLegs(), 1);
        menu.PreProcess();
        ASSERT_NE(menu.targetSurface, nullptr);

        FrameTime = 0.02f;
        const Vec3 first = glider->frame.position;
        std::set<int> nodesPassed;
        float farthestOff = 0.0f;
        float travelled = 0.0f;
        float cameraGap = 0.0f;
        Vec3 last = first;
        for (int i = 0; i < 2000; ++i) {
            menu.RenderBackGround();
            GameClock += FrameTime;
            const Vec3 p = glider->frame.position;
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << i;
            travelled += std::hypot(p.x - last.x, p.y - last.y);
            ASSERT_NE(CameraObject, nullptr);
            const Vec3& eye = CameraObject->frame.position;
            if (i >= 100)
                cameraGap = std::max(cameraGap, std::hypot(p.x - eye.x, p.y - eye.y));
            last = p;
            // The ground track of the present leg: from its launch to the trajectory's last point.
            const CTrajectoryObject& path = *menu.SceneTrajectory();
            const int arc = path.trail.Count() - (path.impact ? CTrajectoryObject::kRingDots : 0);
            const Vec3 a = path.frame.position;
            const Vec3 b = path.trail.Puff(arc - 1).position;
            const float dx = b.x - a.x, dy = b.y - a.y;
            const float length2 = dx * dx + dy * dy;
            const float t = length2 > 0.0f
                ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0f, 1.0f)
                : 0.0f;
            farthestOff = std::max(farthestOff, std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy));
            for (int n = 0; n < g_RoadManager.NodeCount(); ++n) {
                const float* node = g_RoadManager.GetNode(n)->position;
                if (std::hypot(p.x - node[0], p.y - node[1]) < 40.0f)
                    nodesPassed.insert(n);
            }
        }
        EXPECT_GE(menu.SceneLegs(), 5) << "legs flown in 40 s";
        EXPECT_EQ(nodesPassed.size(), 4u) << "round the loop";
        EXPECT_GT(travelled, 800.0f);
        EXPECT_LT(farthestOff, 45.0f) << "the glider keeps to its trajectory's ground track";
        EXPECT_LT(cameraGap, 50.0f) << "the camera keeps behind the glider";
        bool seen = false;
        for (int v = 0; v < ObjectList.visibleList.Count(); ++v)
            seen = seen || ObjectList.visibleList.At(v) == glider;
        EXPECT_TRUE(seen) << "the chasing camera sees the glider";

        // A glider the list deletes is let go; the scene runs on without it.
        ObjectList.DeleteObject(const_cast<CGliderObject*>(glider));
        for (int i = 0; i < 5; ++i)
            menu.RenderBackGround();
        EXPECT_EQ(menu.SceneGlider(), nullptr);
        menu.ReleaseResources(false);
    }
    EXPECT_EQ(CameraObject, nullptr);
    EffectRenderManager.FreeBuffers();
    FrameTime = savedFrameTime;
    GameClock = savedClock;
    EXPECT_EQ(Logged(), startUp);
}

// The item pages: every text they format exists with the conversions they pass, every offer of
// the workshop has its name and text, and zoq-ui item shows the workshop's second light gun as a
// change for the starting configuration's laser.
TEST_F(CompleteTest, ItemPagesFindTheirTextsAndTheWorkshopOffersAGunInExchange)
{
    CZJScriptManager manager;
    manager.Init();
    for (const SItemTextUse& text : kItemPageTexts) {
        CXAnsiString name;
        CXAnsiString body;
        EXPECT_TRUE(manager.GetTextName(text.key, name)) << text.key;
        ASSERT_TRUE(manager.GetText(text.key, body)) << text.key;
        EXPECT_EQ(Conversions(body.Text()), text.values) << text.key;
    }
    ASSERT_EQ(ZJEngine.Load("location1.zjp"), 1);
    for (int32_t kind = CZJTrade::kGoods; kind <= CZJTrade::kAmmunition; ++kind) {
        XDynamicArray<SBuildingTrade*> offers;
        ZJTrade.GetGoodInfo(MakeNameKey32("B_L1_CEH"), kind, offers, false);
        for (int32_t i = 0; i < offers.Count(); ++i) {
            CXAnsiString name;
            CXAnsiString body;
            EXPECT_TRUE(manager.GetTextName(offers.At(i)->key, name)) << offers.At(i)->key;
            EXPECT_TRUE(manager.GetText(offers.At(i)->key, body)) << offers.At(i)->key;
        }
    }

    // 3000 in exchange for the laser of 2000: 3000 - whole(0.9 x 2000).
    const zoq::test::RunResult run = zoq::test::RunProgram(
        ZOQ_UI_PROGRAM, { "item", m_dir.string(), "CFG_STARTUP", "GUN_PULSE", "--shop" });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = zoq::test::SplitLines(run.out);
    ASSERT_GE(lines.size(), 2u) << run.out;
    EXPECT_EQ(lines.front(), "line\tINT_UPGRADE_CHANGE\t3000\t1200");
    EXPECT_EQ(lines.back(), "offer\t1200\t1\t45");
}

// The buildings, towers and boundary posts of location1: every placed object is made and runs
// quietly with no player; each enterable building has its four boxes and a road node of its name
// within 300 of its door, the turning building (kind 7) is watched, at least two towers with a
// muzzle part stand within 150 of a start point, and four or more posts close a ring. Things of
// every kind find their model and glow texture, and the pick-up flash has its frame grid.
TEST_F(CompleteTest, Location1BuildingsTowersAndPostsAreMadeAndRunQuietly)
{
    Location.SizeBufferPools(8, 8);
    ASSERT_EQ(ZJEngine.Load("location1.zjp"), 1);
    const float savedFrameTime = FrameTime;
    FrameTime = 0.02f;
    for (int i = 0; i < 10; ++i)
        ObjectList.Run();
    FrameTime = savedFrameTime;
    EXPECT_EQ(Logged(), "");
    std::set<int> types;
    for (const CZJObject* object : ObjectList.Objects())
        types.insert(object->type);
    for (const int type : { CZJObject::kStone, CZJObject::kTree, CZJObject::kBuilding, CZJObject::kMapCover,
             CZJObject::kLamp, CZJObject::kLight, CZJObject::kTower, CZJObject::kBoundary })
        EXPECT_TRUE(types.count(type)) << "type " << type;

    std::vector<Vec3> starts;
    for (const CHelperPoint* point : ObjectList.HelperPoints()) {
        if (point->kind == 9 && std::string_view(point->name).starts_with("START"))
            starts.push_back(point->transform.position);
    }
    ASSERT_FALSE(starts.empty());
    int turning = 0;
    int entered = 0;
    int nearStart = 0;
    std::vector<const CBoundObject*> posts;
    for (CZJObject* object : ObjectList.Objects()) {
        if (object->type == CZJObject::kBuilding) {
            const auto* building = static_cast<const CBuildingObject*>(object);
            if (building->IsTurning()) {
                ++turning;
                EXPECT_EQ(building->notDrawn, 1) << "watched, drawn from afar";
                continue;
            }
            for (int box = CBuildingObject::kBoxA; box <= CBuildingObject::kBoxD; ++box)
                EXPECT_NE(building->DoorBox(box), nullptr) << building->name << " box " << box;
            if (building->name[0] == '\0')
                continue;
            ++entered;
            EXPECT_GE(building->pointIndex, 0) << building->name;
            Vec3 d;
            Vec3Sub(d, building->doorPoint, building->roadPoint);
            EXPECT_LE(Vec3Length(d), 300.0f) << building->name;
        } else if (object->type == CZJObject::kTower) {
            auto* tower = static_cast<CTowerObject*>(object);
            g_TowerManager.InitTower(tower->typeIndex);
            EXPECT_GE(g_TowerManager.GetDesc(tower->typeIndex).fxPart, 0) << "a muzzle part";
            for (const Vec3& start : starts) {
                Vec3 d;
                Vec3Sub(d, tower->frame.position, start);
                if (d.x * d.x + d.y * d.y < 150.0f * 150.0f) {
                    ++nearStart;
                    break;
                }
            }
        } else if (object->type == CZJObject::kBoundary) {
            posts.push_back(static_cast<const CBoundObject*>(object));
        }
    }
    EXPECT_EQ(turning, 1);
    EXPECT_GE(entered, 5);
    EXPECT_GE(nearStart, 2);
    int ring = 0;
    for (const CBoundObject* first : posts) {
        if (first->linkCount != 2)
            continue;
        const CBoundObject* previous = first;
        const CBoundObject* at = first->links[0];
        int length = 1;
        while (at && at != first && at->linkCount == 2 && length <= int(posts.size())) {
            const CBoundObject* next = at->links[0] == previous ? at->links[1] : at->links[0];
            previous = at;
            at = next;
            ++length;
        }
        if (at == first)
            ring = std::max(ring, length);
    }
    EXPECT_GE(ring, 4) << "posts linked in a ring";

    // Things of every kind find their model and glow; the pick-up flash has a frame grid.
    for (const int32_t kind : { 257, 513, 514, 515 }) {
        CTheThing thing;
        const float at[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1100, 1100, 0, 1 };
        thing.Init(at, kind);
        EXPECT_GE(thing.modelIndex, 0) << kind;
        EXPECT_GE(thing.glowTexture, 0) << kind;
    }
    CComplexObject* flash = g_pModelManager->GetModel(ZJEngine.ids2[CZJEngine::kModFxPodbor]);
    ASSERT_NE(flash, nullptr);
    ASSERT_NE(flash->GetPartObject(0), nullptr);
    EXPECT_GT(flash->GetPartObject(0)->frameGrid, 1);
    EXPECT_EQ(Logged(), "");
}

// A player's CFG_STARTUP glider flies from 150 units before B_L1_CEH's door towards it, firing
// upwards until a tower fires back: it picks up a container lying on its way, and once it slows in
// the approach box the door opens and the pull brings it into the entrance box within 20 s, which
// names the building as the pending action.
TEST_F(CompleteTest, APlayersGliderPicksUpAThingDrawsTowerFireAndIsPulledIntoTheWorkshop)
{
    Location.SizeBufferPools(8, 8);
    ASSERT_EQ(ZJEngine.Load("location1.zjp"), 1);
    auto* building = static_cast<CBuildingObject*>(
        ObjectList.FindObject(MakeNameKey32("B_L1_CEH"), CZJObject::kBuilding));
    ASSERT_NE(building, nullptr);
    g_BuildingManager.InitBuilding(building->typeIndex);
    const SDoorBox* boxA = building->DoorBox(CBuildingObject::kBoxA);
    const SDoorBox* boxC = building->DoorBox(CBuildingObject::kBoxC);
    ASSERT_TRUE(boxA && boxC);
    const auto centre = [&](const SDoorBox& box) {
        Vec3 world;
        TransformCoord(world,
            Vec3 { (box.min[0] + box.max[0]) * 0.5f, (box.min[1] + box.max[1]) * 0.5f,
                (box.min[2] + box.max[2]) * 0.5f },
            building->frame.matrix);
        return world;
    };
    const Vec3 door = centre(*boxA);
    Vec3 outward { centre(*boxC).x - door.x, centre(*boxC).y - door.y, 0.0f };
    Vec3Normalize(outward, outward);
    const auto along = [&](float distance) {
        Vec3 p { door.x + outward.x * distance, door.y + outward.y * distance, 0.0f };
        p.z = Location.GetHeight(p, true, true);
        return p;
    };
    std::vector<CTowerObject*> towers;
    for (CZJObject* object : ObjectList.Objects()) {
        if (object->type == CZJObject::kTower)
            towers.push_back(static_cast<CTowerObject*>(object));
    }
    const float savedFrameTime = FrameTime;
    const double savedClock = GameClock;
    const Vec3 savedPlayerPosition = PlayerPosition;
    FrameTime = 0.02f;
    ZJEngine.pendingAction = SPendingAction {};

    CFerrovant machine;
    machine.ApplyConfig(FerrovantConfigList.Find("CFG_STARTUP"), true, 0);
    // Facing the door: the columns are the side, up and forward axes.
    const Vec3 start = along(150.0f);
    const float placement[16] = { -outward.y, 0, -outward.x, 0, outward.x, 0, -outward.y, 0, 0, 1, 0, 0,
        start.x, start.y, start.z + 10.0f, 1 };
    auto* player = new CGliderObject;
    player->Init(placement, MakeNameKey32(g_GliderManager.GetRowNames().GetString(machine.hull.index)));
    player->AssignFerrovant(&machine);
    ObjectList.AddObject(player);
    PlayerObject = PlayerGlider = player;

    auto* thing = new CTheThing;
    const Vec3 lies = along(110.0f);
    const float at[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, lies.x, lies.y, lies.z, 1 };
    thing->Init(at, 513);
    thing->AddItem(CargoItem::kGoods, "TOV_FOOD", 1);
    ObjectList.AddObject(thing);

    bool picked = false;
    bool towerFired = false;
    bool doorOpened = false;
    int frames = 0;
    for (; frames < 1000 && !ZJEngine.pendingAction.actionPending; ++frames) {
        PlayerPosition = player->frame.position; // the camera, for the thing's reach
        m_sounds->SetListener(player->frame.position, Vec3 { 0, 1, 0 }, Vec3 { 0, 0, 1 });
        Vec3 towards { door.x - player->frame.position.x, door.y - player->frame.position.y, 0.0f };
        Vec3Normalize(towards, towards);
        const Vec3& forward = player->frame.forward;
        const float turn = forward.x * towards.y - forward.y * towards.x;
        player->controlX = std::clamp(-4.0f * turn, -1.0f, 1.0f);
        player->SetThrottle(building->approachTimer > 0.0f ? 0.0f : 0.5f);
        if (!towerFired) {
            player->aimDirection = Vec3 { 0.0f, 0.0f, 1.0f };
            player->Fire(CGliderObject::kLightGun, 1.0f);
        }
        ObjectList.Run();
        ObjectList.PreMove();
        ObjectList.CheckCollision();
        ObjectList.Move();
        m_sounds->ApplySettings();
        GameClock += FrameTime;
        picked = picked || !thing->onGround;
        for (const CTowerObject* tower : towers)
            towerFired = towerFired || (tower->target == player && tower->gun.timeSinceShot < 1.0f);
        doorOpened = doorOpened || building->doorState == CBuildingObject::kOpen;
        ASSERT_EQ(player->dead, 0) << frames;
    }
    EXPECT_TRUE(picked);
    EXPECT_TRUE(machine.cargo.HasGoods("TOV_FOOD", CargoItem::kGoods, 1));
    EXPECT_TRUE(towerFired);
    EXPECT_TRUE(doorOpened);
    EXPECT_LT(frames, 1000) << "in the entrance box within 20 s";
    EXPECT_EQ(ZJEngine.pendingAction.actionBuilding, MakeNameKey32("B_L1_CEH"));
    EXPECT_EQ(ZJEngine.currentBuilding, building);

    ObjectList.Clear();
    PlayerObject = nullptr;
    PlayerGlider = nullptr;
    ZJEngine.pendingAction = SPendingAction {};
    ZJEngine.currentBuilding = nullptr;
    PlayerPosition = savedPlayerPosition;
    FrameTime = savedFrameTime;
    GameClock = savedClock;
    EXPECT_EQ(Logged(), "");
}

TEST_F(CompleteTest, EveryLocationsRadarMapOpensCoversItsCellsAndReadsInTheTool)
{
    for (const auto& entry : fs::directory_iterator(fs::path(ZOQ_DATA_DIR) / "maps")) {
        const std::string stem = entry.path().stem().string();
        SCOPED_TRACE(stem);
        ASSERT_EQ(ZJEngine.Load((stem + ".zjp").c_str()), 1);
        const std::string name = RadarMapName((stem + ".zjp").c_str());
        EXPECT_EQ(name, stem + ".mmm");
        CRadarMap map;
        ASSERT_TRUE(map.Open(name.c_str()));
        EXPECT_GE(map.columns, Location.blocksX);
        EXPECT_GE(map.rows, Location.blocksY);

        // The same bytes on disk for the tool.
        XFile file;
        ASSERT_NE(g_PakManager.OpenXFile(name.c_str(), file), 0);
        Bytes bytes(size_t(file.Size()));
        ASSERT_EQ(file.ReadAvailable(bytes.data(), bytes.size()), bytes.size());
        const fs::path copy = m_dir / ("copy_" + name);
        zoq::test::WriteBytes(copy, bytes);
        const auto info = zoq::test::RunProgram(ZOQ_RADAR_PROGRAM, { "info", copy.string() });
        EXPECT_EQ(info.exitCode, 0) << info.err;
        EXPECT_NE(
            info.out.find("tiles\t" + std::to_string(map.columns) + "\t" + std::to_string(map.rows) + "\n"),
            std::string::npos)
            << info.out;
    }
    EXPECT_EQ(Logged(), "");
}

// The tunnel ride's models (the passage with a morph channel to run through), its sound and the
// plain picture a travel copies; every sector a jump reaches has its tunnel building, found first
// by the arrival's numbered search, and a start point for the ride.
TEST_F(CompleteTest, TheTunnelRideAndEveryTravelTargetFindTheirData)
{
    const int background = m_models->FindModel("MOD_FX_TUNEL_BACKGROUND");
    const int passage = m_models->FindModel("MOD_FX_TUNEL_PEREHOD");
    ASSERT_GE(background, 0);
    ASSERT_GE(passage, 0);
    EXPECT_GT(m_models->GetModel(background)->GetPartCount(), 0);
    CComplexObject* tunnel = m_models->GetModel(passage);
    ASSERT_GT(tunnel->GetPartCount(), 0);
    ASSERT_NE(tunnel->GetPartObject(0), nullptr);
    EXPECT_GT(tunnel->GetPartObject(0)->channelCount, 0) << "the passage's frames";
    EXPECT_GE(tunnel->GetPart(0).textures[0], 0);
    EXPECT_GE(FindSoundId("SND_FX_TUNNEL"), 0);
    plat::gfx::d3dx::ImageInfo info;
    ASSERT_TRUE(Succeeded(plat::gfx::d3dx::GetImageInfoFromFile("Data\\Images\\tunnel.tga", info)));
    EXPECT_EQ(info.width, 256u);
    EXPECT_EQ(info.height, 256u);
    EXPECT_TRUE(fs::is_regular_file(m_dir / "Data" / "Images" / "tunnel.tga")) << "read from disk";

    for (int sector = 1; sector <= 3; ++sector) {
        SCOPED_TRACE(sector);
        char target[64];
        ASSERT_TRUE(CBuildingMenu::JumpFileName("location1.zjp", sector, target));
        ObjectList.Clear();
        ASSERT_EQ(ZJEngine.Load(target), 1) << target;
        std::string arrival;
        for (int number = 1; number <= 9 && arrival.empty(); ++number) {
            const std::string name = "B_L" + std::to_string(number) + "_TUNNEL";
            if (ObjectList.FindObject(MakeNameKey32(name.c_str()), 11))
                arrival = name;
        }
        EXPECT_EQ(arrival, "B_L" + std::to_string(sector) + "_TUNNEL");
        bool tunnelStart = false;
        for (const CHelperPoint* point : ObjectList.HelperPoints())
            tunnelStart = tunnelStart || (point->kind == 9 && std::strstr(point->name, "TUNNEL"));
        EXPECT_TRUE(tunnelStart);
    }
    EXPECT_EQ(Logged(), "");
}

// Every location a game reaches, the enabled ones of Data\Net\ and every jump target from them and
// from the start location, has its map and objects (it loads), its radar map, its location script
// with EACHHOUR and its music; a network location has a building a network game may start in, a
// jump target its tunnel building, and every LINKJUMPTO link of the text table its entry building.
TEST_F(CompleteTest, EveryReachableLocationHasItsFilesMusicAndArrival)
{
    std::vector<SSkippedFile> skipped;
    const std::vector<SGameEntry> network = gamelist::ScanLocations(skipped);
    EXPECT_TRUE(skipped.empty());
    EXPECT_FALSE(network.empty());
    std::map<std::string, std::string> arrivals; // location -> the building a travel arrives in
    std::set<std::string> starts { "location1.zjp" }; // the new game's and the network games'
    for (const SGameEntry& entry : network)
        starts.insert(entry.name);
    for (const std::string& location : starts) {
        for (int sector = 1; sector <= 3; ++sector) {
            char target[64];
            ASSERT_TRUE(CBuildingMenu::JumpFileName(location.c_str(), sector, target)) << location;
            arrivals[target] = "";
        }
    }
    CZJScriptManager manager;
    manager.Init();
    zoq::tools::data::TableSource table;
    std::string error;
    ASSERT_TRUE(zoq::tools::data::ParseTableSource(
        ReadText(fs::path(ZOQ_DATA_DIR) / "scripts/texts.txt"), "texts.txt", "INFORMATION", table, error))
        << error;
    const std::string jumpTo = std::string(kLinkJumpTo) + " ";
    for (const zoq::tools::data::TableRecord& record : table.records) {
        CXAnsiString text;
        manager.GetText(record.name.c_str(), text);
        const std::string body = text.Text();
        for (size_t at = body.find("=" + jumpTo); at != std::string::npos;
             at = body.find("=" + jumpTo, at + 1)) {
            std::istringstream words(
                body.substr(at + jumpTo.size() + 1, body.find('>', at) - at - jumpTo.size() - 1));
            std::string location, entry;
            words >> location >> entry;
            if (location.size() == 1)
                location = "location" + location + ".zjp";
            arrivals[location] = entry;
        }
    }

    std::set<std::string> all = starts;
    for (const auto& [location, entry] : arrivals)
        all.insert(location);
    for (const std::string& location : all) {
        SCOPED_TRACE(location);
        ObjectList.Clear();
        ZJEngine.music.Reset();
        ASSERT_EQ(ZJEngine.Load(location.c_str()), 1);
        CRadarMap radar;
        EXPECT_TRUE(radar.Open(RadarMapName(location.c_str()).c_str()));
        const std::string script = travel::LocationScriptName(location.c_str());
        const XStringTable* lines = manager.ZJLoadScript(script.c_str(), 1);
        ASSERT_NE(lines, nullptr) << script;
        EXPECT_GE(lines->Find("PROCEACHHOUR"), 0) << script;
        const SLocMusic& music = ZJEngine.music;
        EXPECT_GE(m_music->GetRowNames().Find(music.mainTrack), 0) << "main '" << music.mainTrack << "'";
        EXPECT_GE(m_music->GetRowNames().Find(music.towerTrack), 0) << "tower '" << music.towerTrack << "'";
        EXPECT_GT(music.battleCount, 0u);
        for (uint32_t i = 0; i < std::min(music.battleCount, SLocMusic::kMaxBattle); ++i)
            EXPECT_GE(m_music->GetRowNames().Find(music.battleTracks[i]), 0) << music.battleTracks[i];
        for (uint32_t i = 0; i < std::min(music.calmCount, SLocMusic::kMaxCalm); ++i)
            EXPECT_GE(m_music->GetRowNames().Find(music.calmTracks[i]), 0) << music.calmTracks[i];

        if (starts.count(location) > 0 && location != "location1.zjp") {
            XDynamicArray<CZJObject*> buildings;
            ObjectList.GetObjectList(11, buildings);
            bool start = false;
            for (int32_t i = 0; i < buildings.Count(); ++i) {
                const SBuildingType* row = static_cast<const CBuildingObject*>(buildings.At(i))->Row();
                start = start || (row && std::set<int32_t> { 1, 4, 6, 9 }.count(row->kind) > 0);
            }
            EXPECT_TRUE(start) << "a building a network game starts in";
        }
        const auto arrival = arrivals.find(location);
        if (arrival == arrivals.end())
            continue;
        std::string found = arrival->second;
        if (!found.empty()) {
            EXPECT_NE(ObjectList.FindObject(MakeNameKey32(found.c_str()), 11), nullptr) << found;
            continue;
        }
        for (int number = 1; number <= 9 && found.empty(); ++number) {
            const std::string name = "B_L" + std::to_string(number) + "_TUNNEL";
            if (ObjectList.FindObject(MakeNameKey32(name.c_str()), 11))
                found = name;
        }
        EXPECT_FALSE(found.empty()) << "a tunnel building to arrive in";
    }
    EXPECT_EQ(Logged(), "");
}

// The demo's bandits: CFG_BANDIT carries no gun, and the light gun of CFG_STARTUP alone destroys
// one at GRP_BANDITS' stand point from 60 units away within 10 s of fire, the location's towers
// standing by.
TEST_F(CompleteTest, TheStartingLaserBringsDownABanditInAShortFight)
{
    Location.SizeBufferPools(8, 8);
    ASSERT_EQ(ZJEngine.Load("location1.zjp"), 1);
    const SRoadNode* stand = g_RoadManager.GetNode(g_RoadManager.FindNodeByName("BANDITS"));
    ASSERT_NE(stand, nullptr);
    const float savedFrameTime = FrameTime;
    const double savedClock = GameClock;
    FrameTime = 0.02f;
    CFerrovant playerMachine;
    CGliderObject* player = PlaceGlider(
        playerMachine, "CFG_STARTUP", Vec3 { stand->position[0], stand->position[1] - 60.0f, 0.0f });
    PlayerObject = PlayerGlider = player;
    CFerrovant banditMachine;
    const Vec3 ahead { player->frame.position.x + 60.0f * player->frame.matrix.m[2],
        player->frame.position.y + 60.0f * player->frame.matrix.m[6], 0.0f };
    CGliderObject* bandit = PlaceGlider(banditMachine, "CFG_BANDIT", ahead);
    for (int gun : { CGliderObject::kLightGun, CGliderObject::kHeavyGun, CGliderObject::kRocketLauncher })
        EXPECT_EQ(bandit->guns[gun].assigned, 0) << gun;
    int frames = 0;
    for (; frames < 500 && !bandit->dead; ++frames) {
        Vec3 aim { bandit->frame.position.x - player->frame.position.x,
            bandit->frame.position.y - player->frame.position.y,
            bandit->frame.position.z - player->frame.position.z };
        Vec3Normalize(player->aimDirection, aim);
        player->Fire(CGliderObject::kLightGun, 1.0f);
        RunFrame();
    }
    EXPECT_EQ(bandit->dead, 1) << "still flying after " << frames << " frames";
    EXPECT_EQ(player->dead, 0);
    ObjectList.Clear();
    PlayerObject = nullptr;
    PlayerGlider = nullptr;
    FrameTime = savedFrameTime;
    GameClock = savedClock;
    EXPECT_EQ(Logged(), "");
}

namespace {

// Records the processes a script asks the application for.
class ProcessLog : public CScriptHost {
public:
    void PlaySound(const char*) override { }
    bool IsMessageLogExpanded() override { return false; }
    void ToggleMessageLog() override { }
    void UpdateJournal(int) override { }
    bool RunProcess(int code) override
    {
        codes.push_back(code);
        return true;
    }
    void SetBonus(float, float) override { }

    std::vector<int> codes;
};

} // namespace

// The demo quest on the generated folder: ORG_BANDITS at war with the player; GRP_BANDITS, two
// CFG_BANDIT of it, standing in sight of the workshop's door and out of the towers' reach; the
// workshop selling the crystal within the purse the start location gives and offering Q_DEMO
// first; the bandits' death writing the journal and opening the plain; location2's gate, a
// transfer station that buys crystals, completing the quest for one, paying and showing the link
// whose procedure runs the end titles.
TEST_F(CompleteTest, TheDemoQuestRunsFromTheWorkshopToTheEndTitles)
{
    ASSERT_TRUE(g_OrgManager.ApplyPolitics(ReadText(fs::path(ZOQ_DATA_DIR) / "politics/StartPolitics.csv")));
    const int player = g_OrgManager.FindOrganisation("ORG_PLAYER");
    const int bandits = g_OrgManager.FindOrganisation("ORG_BANDITS");
    ASSERT_GE(bandits, 0);
    EXPECT_EQ(g_OrgManager.GetPairValue(player, bandits, true), -1.0f);
    EXPECT_EQ(g_OrgManager.GetPairValue(bandits, player, true), -1.0f);

    ASSERT_EQ(ZJEngine.Load("location1.zjp"), 1);
    CFerroGroup* group = FerroGroupList.FindGroupByName("GRP_BANDITS");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->organisation, bandits);
    EXPECT_EQ(group->kind, CFerroGroup::kStanding);
    ASSERT_EQ(group->memberCount, 2);
    for (int i = 0; i < group->memberCount; ++i)
        EXPECT_EQ(group->Member(i).configIndex, FerrovantConfigList.Find("CFG_BANDIT")) << i;
    auto* workshop = static_cast<CBuildingObject*>(ObjectList.FindObject(MakeNameKey32("B_L1_CEH"), 11));
    ASSERT_NE(workshop, nullptr);
    g_BuildingManager.InitBuilding(workshop->typeIndex);
    const SDoorBox* box = workshop->DoorBox(CBuildingObject::kBoxA);
    ASSERT_NE(box, nullptr);
    Vec3 door;
    TransformCoord(door,
        Vec3 { (box->min[0] + box->max[0]) * 0.5f, (box->min[1] + box->max[1]) * 0.5f,
            (box->min[2] + box->max[2]) * 0.5f },
        workshop->frame.matrix);
    const SRoadNode* stand = g_RoadManager.GetNode(g_RoadManager.FindNodeByName("BANDITS"));
    ASSERT_NE(stand, nullptr);
    // In sight of a pilot leaving the door: beyond the quarter view range (in tens of units)
    // within which a group never appears, yet close; out of every tower's reach.
    const float nearest
        = float(plat::win::ReadProfileInt("Data\\CONFIG\\cfg.ini", "CONFIG", "VisibleRadius", 0) / 4 * 10);
    ASSERT_GT(nearest, 0.0f);
    const float distance = std::hypot(stand->position[0] - door.x, stand->position[1] - door.y);
    EXPECT_GT(distance, nearest + 50.0f);
    EXPECT_LT(distance, nearest + 250.0f);
    for (const CZJObject* object : ObjectList.Objects()) {
        if (object->type != CZJObject::kTower)
            continue;
        const auto* tower = static_cast<const CTowerObject*>(object);
        EXPECT_GT(std::hypot(stand->position[0] - tower->frame.position.x,
                      stand->position[1] - tower->frame.position.y),
            tower->range)
            << "a tower at " << tower->frame.position.x << "," << tower->frame.position.y;
    }

    CZJScriptManager manager;
    manager.Init();
    ProcessLog host;
    struct Installed {
        Installed(CZJScriptManager& manager, CScriptHost& host)
        {
            g_pScriptManager = &manager;
            g_pScriptHost = &host;
        }
        ~Installed()
        {
            g_pScriptHost = nullptr;
            g_pScriptManager = nullptr;
            PlayerFerrovant = nullptr;
        }
    } installed(manager, host);
    PlayerFerroGroup.Start();
    CGarbage& cargo = PlayerFerrovant->cargo;
    PlayerFerrovant->ApplyConfig(FerrovantConfigList.Find("CFG_STARTUP"), true, 0);
    cargo.Clear();
    ASSERT_TRUE(manager.ZJRunScript("LOCATION1", 1, nullptr));
    const float purse = cargo.bulkAmount;
    float price = 0.0f;
    int32_t stock = 0;
    ASSERT_TRUE(
        ZJTrade.GetPrice(MakeNameKey32("B_L1_CEH"), MakeNameKey32("TOV_CRYSTAL"), false, price, &stock));
    EXPECT_LT(2.0f * price, purse) << "two crystals within the starting purse";
    EXPECT_GE(stock, 2);

    manager.outputCount = 0;
    ASSERT_TRUE(manager.ZJRunScript("B_L1_CEH", 2, nullptr));
    ASSERT_GT(manager.outputCount, 0);
    EXPECT_EQ(std::string(manager.Output(0).name), "Q_DEMO") << "the accept link takes the first";
    manager.AddQuest("Q_DEMO");
    manager.outputCount = 0;
    ASSERT_TRUE(manager.ZJRunScript("B_L1_CEH", 2, "Q_DEMO"));
    EXPECT_TRUE(manager.LastProcedureFound());

    ASSERT_TRUE(manager.ZJRunScript("B_L1_CEH", 1, nullptr));
    EXPECT_FALSE(manager.IsEventSet("SECTOR2.ACCESS"));
    manager.AddEvent("GRP_BANDITS", ".KILLED");
    manager.outputCount = 0;
    ASSERT_TRUE(manager.ZJRunScript("B_L1_CEH", 1, nullptr));
    for (const char* event : { "Q_DEMO.BANDITS", "SECTOR1.ACCESS", "SECTOR2.ACCESS" })
        EXPECT_TRUE(manager.IsEventSet(event)) << event;
    bool journal = false;
    for (int i = 0; i < manager.outputCount; ++i)
        journal = journal || manager.Output(i).kind == SScriptOutput::Journal;
    EXPECT_TRUE(journal);

    ASSERT_EQ(ZJEngine.Load("location2.zjp"), 1);
    const auto* gate
        = static_cast<const CBuildingObject*>(ObjectList.FindObject(MakeNameKey32("B_L2_TUNNEL"), 11));
    ASSERT_NE(gate, nullptr);
    ASSERT_NE(gate->Row(), nullptr);
    EXPECT_EQ(gate->Row()->kind, 3) << "a transfer station";
    float bought = 0.0f;
    EXPECT_TRUE(
        ZJTrade.GetPrice(MakeNameKey32("B_L2_TUNNEL"), MakeNameKey32("TOV_CRYSTAL"), true, bought, nullptr));
    EXPECT_GT(bought, 0.0f);

    ASSERT_TRUE(manager.ZJRunScript("B_L2_TUNNEL", 1, nullptr));
    EXPECT_FALSE(manager.IsEventSet("Q_DEMO.COMPLETE")) << "no crystal yet";
    cargo.AddGoods("TOV_CRYSTAL", 1, price, CargoItem::kGoods);
    const float before = cargo.bulkAmount;
    manager.outputCount = 0;
    ASSERT_TRUE(manager.ZJRunScript("B_L2_TUNNEL", 1, nullptr));
    EXPECT_TRUE(manager.IsEventSet("Q_DEMO.COMPLETE"));
    EXPECT_FALSE(cargo.HasGoods("TOV_CRYSTAL", CargoItem::kGoods, 1));
    EXPECT_GT(cargo.bulkAmount, before);
    bool finish = false;
    for (int i = 0; i < manager.outputCount; ++i)
        finish = finish
            || std::string(manager.Output(i).text.Text()).find("=INT_DEMO_FINISH>") != std::string::npos;
    EXPECT_TRUE(finish) << "the link to the end titles";
    ASSERT_TRUE(manager.ZJRunScript("B_L2_TUNNEL", 1, "INT_DEMO_FINISH"));
    EXPECT_TRUE(manager.LastProcedureFound());
    EXPECT_EQ(host.codes, std::vector<int> { 5 });
    EXPECT_EQ(Logged(), "");
}
