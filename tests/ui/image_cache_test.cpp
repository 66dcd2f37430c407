// The mark-up windows' picture cache on the null backend (ten pictures, the least recently used
// one replaced) and the turning 3-D view of a model.
#include "tests/render/render_fixture.h"
#include "tools/texture/image_files.h"
#include "ui/CImageCache.h"
#include "ui/ModelView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

class ImageCacheTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        ASSERT_TRUE(CreateGraphic());
        for (int i = 0; i < 12; ++i) {
            const uint32_t width = uint32_t(8 + i);
            WriteBytes(m_dir / "Data" / "Images" / Name(i),
                zoq::tools::texture::MakePng(std::vector<uint32_t>(width * 4, 0xFF808080u), width, 4, false));
        }
    }
    static std::string Name(int i) { return "p" + std::to_string(i) + ".png"; }
};

TEST_F(ImageCacheTest, theEleventhPictureReplacesTheLeastRecentlyUsed)
{
    CImageCache cache;
    for (int i = 0; i < 10; ++i)
        ASSERT_NE(cache.Get(Name(i).c_str()), nullptr) << Name(i);
    EXPECT_EQ(cache.Count(), 10);
    const CImageCache::SImage* first = cache.Get(Name(0).c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->width, 8);
    EXPECT_EQ(first->height, 4);

    ASSERT_NE(cache.Get(Name(10).c_str()), nullptr);
    EXPECT_EQ(cache.Count(), 10);
    EXPECT_TRUE(cache.Holds(Name(0).c_str())) << "used again just before";
    EXPECT_FALSE(cache.Holds(Name(1).c_str())) << "the least recently used";
    ASSERT_NE(cache.Get(Name(11).c_str()), nullptr);
    EXPECT_FALSE(cache.Holds(Name(2).c_str()));
    EXPECT_TRUE(cache.Holds(Name(10).c_str()));
    EXPECT_EQ(cache.Get(Name(11).c_str())->width, 19);
}

TEST_F(ImageCacheTest, aPictureThatDoesNotLoadIsLoggedAndTakesNoPlace)
{
    CImageCache cache;
    EXPECT_EQ(cache.Get("missing.png"), nullptr);
    EXPECT_EQ(cache.Get(std::string(300, 'a').c_str()), nullptr);
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(LogLineCount("CZJHtmlWindow::GetImageData can`t load image file='missing.png'"), 1);
}

TEST(ModelViewTest, theCameraCentresTheBoxFromTwoAndAHalfRadiiAndTurnsOnceInTenSeconds)
{
    const Vec3 lo { 0.0f, 2.0f, -1.0f };
    const Vec3 hi { 4.0f, 6.0f, 1.0f };
    const auto distance = [](const SModelView& v) {
        const float dx = v.eye.x - v.target.x, dy = v.eye.y - v.target.y, dz = v.eye.z - v.target.z;
        return std::sqrt(dx * dx + dy * dy + dz * dz);
    };
    const SModelView start = ModelViewAt(lo, hi, 3.0f, 0.0);
    EXPECT_FLOAT_EQ(start.target.x, 2.0f);
    EXPECT_FLOAT_EQ(start.target.y, 4.0f);
    EXPECT_FLOAT_EQ(start.target.z, 0.0f);
    EXPECT_NEAR(distance(start), 7.5f, 1e-4f);
    EXPECT_GT(start.eye.z, start.target.z);

    const SModelView half = ModelViewAt(lo, hi, 3.0f, 5.0);
    EXPECT_NEAR(half.eye.x - half.target.x, -(start.eye.x - start.target.x), 1e-4f) << "half a turn";
    const SModelView again = ModelViewAt(lo, hi, 3.0f, 10.0);
    EXPECT_NEAR(again.eye.x, start.eye.x, 1e-4f);
    EXPECT_NEAR(again.eye.y, start.eye.y, 1e-4f);

    const plat::gfx::Light light = ModelViewLight(start);
    EXPECT_EQ(light.type, plat::gfx::LightType::Directional);
    EXPECT_LT(light.direction.z, 0.0f) << "from above";
    EXPECT_NEAR(std::hypot(light.direction.x, light.direction.y, light.direction.z), 1.0f, 1e-5f);
    EXPECT_NEAR(distance(ModelViewAt(lo, hi, 0.0f, 0.0)), 2.5f, 1e-4f) << "no radius: 1";
}

} // namespace
