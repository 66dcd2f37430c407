// A device loss in flight, the game run in-process on a copy of the generated folder under the
// null backend: while the device is lost nothing is presented; after the reset the frames go on
// with the same objects in the world, and the game ends as usual.
#include "app/CZJApp.h"
#include "platform/gfx/null/null_backend.h"
#include "render/Graphic.h"
#include "tests/e2e/E2EAppGame.h"
#include "tests/e2e/E2ERunner.h"
#include "tests/support/temp_dir.h"
#include "world/objects/CObjectList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>

namespace {

constexpr uint32_t kLostPasses = 30;
constexpr uint32_t kMostPasses = 20000;

const char kToFlight[] = "wait menu=start\nclick 3\nclick 102\nwait menu=building\nclick 1\nwait flying\n"
                         "frames 60\n";
const char kFlight[] = "frames 300\nexpect flying\n";
const char kToEnd[] = "expect log-clean\nkey Esc\nwait menu=ingame\nclick 42\nwait menu=start\nclick 1\n";

class DeviceLossTest : public zoq::test::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        std::filesystem::copy(ZOQ_MKDATA_FIXTURE, m_dir, std::filesystem::copy_options::recursive);
        m_chdir.emplace(m_dir);
        m_game.emplace();
    }
    void TearDown() override
    {
        CApplication::PumpHook = nullptr;
        m_chdir.reset();
        TempDirTest::TearDown();
    }

    std::unique_ptr<e2e::StepRunner> Runner(const char* script)
    {
        std::vector<e2e::Step> steps;
        std::string error;
        EXPECT_TRUE(e2e::ParseScript(script, steps, error)) << error;
        return std::make_unique<e2e::StepRunner>(std::move(steps), *m_game, m_out);
    }

    static plat::gfx::Device* Device() { return g_Graphic.GetDevice(); }
    static size_t Presents()
    {
        plat::gfx::null::NullDevice* null = Device() ? plat::gfx::null::FromDevice(*Device()) : nullptr;
        return null ? null->Presents().size() : 0;
    }

    std::optional<zoq::test::ScopedChdir> m_chdir;
    std::optional<e2e::E2EAppGame> m_game; // made in the copy, whose logs it watches
    std::ostringstream m_out;
};

TEST_F(DeviceLossTest, afterALossInFlightTheFramesGoOnWithTheSameObjects)
{
    enum class Phase { ToFlight, Lost, Flight, ToEnd, Ended };
    Phase phase = Phase::ToFlight;
    std::unique_ptr<e2e::StepRunner> runner = Runner(kToFlight);
    bool focused = false;
    uint32_t passes = 0;
    uint32_t lostAt = 0;
    int objectsBefore = -1;
    int objectsAfter = -1;
    size_t presentsAtLoss = 0;
    size_t presentsWhileLost = 0;
    size_t presentsAfter = 0;
    CApplication::PumpHook = [&] {
        if (!e2e::E2EAppGame::Ready())
            return;
        if (!focused) {
            focused = true;
            e2e::E2EAppGame::Focus();
            return;
        }
        if (runner->Failed() || ++passes > kMostPasses) {
            CApplication::RequestQuit();
            return;
        }
        switch (phase) {
        case Phase::ToFlight:
            runner->Pass();
            if (runner->Finished() && Device()) {
                objectsBefore = ObjectList.Objects().Count();
                presentsAtLoss = Presents();
                Device()->SetForcedLoss(true);
                phase = Phase::Lost;
                lostAt = passes;
            }
            break;
        case Phase::Lost:
            if (passes == lostAt + kLostPasses) {
                presentsWhileLost = Presents() - presentsAtLoss;
                Device()->SetForcedLoss(false);
                runner = Runner(kFlight);
                phase = Phase::Flight;
            }
            break;
        case Phase::Flight:
            runner->Pass();
            if (runner->Finished()) {
                objectsAfter = ObjectList.Objects().Count();
                presentsAfter = Presents() - presentsAtLoss;
                runner = Runner(kToEnd);
                phase = Phase::ToEnd;
            }
            break;
        case Phase::ToEnd:
            runner->Pass();
            if (runner->Finished())
                phase = Phase::Ended;
            break;
        case Phase::Ended:
            break;
        }
    };
    const int code = GameMain("");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(phase, Phase::Ended) << m_out.str();
    EXPECT_FALSE(runner->Failed()) << m_out.str();
    EXPECT_EQ(presentsWhileLost, 0u) << "a lost device presents nothing";
    EXPECT_GE(presentsAfter, 250u) << "the frames go on after the reset";
    EXPECT_GT(objectsBefore, 0);
    EXPECT_EQ(objectsAfter, objectsBefore);
}

} // namespace
