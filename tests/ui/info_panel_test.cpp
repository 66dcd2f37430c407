// The information panel's lines: each key's text, a blank and the value; a part's value is the
// NAME of its key.
#include "ai/CFerrovant.h"
#include "tests/script/script_fixture.h"
#include "ui/CRenderer.h"
#include "world/objects/CGliderObject.h"

#include <gtest/gtest.h>

namespace {

class InfoPanelTest : public zoq::test::ScriptTest {
protected:
    std::string Texts() const override
    {
        return "[INT_INF_GLIDERS_IS]\nTEXT = Machine:\n[INT_INF_NO_DAMAGES]\nTEXT = No damage\n"
               "[INT_INF_HOLD_EMPTY]\nTEXT = Hold empty\n[GLD_SPARROW]\nNAME = Sparrow\n";
    }
};

TEST_F(InfoPanelTest, linesHoldKeyTextsAndNames)
{
    CFerrovant machine;
    CGliderObject target;
    target.ferrovant = &machine;
    const std::vector<std::string> lines = CRenderer::InfoPanelLines(target);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Machine: None"); // a glider without a type row
    EXPECT_EQ(lines[1], "No damage");
    EXPECT_EQ(lines[2], "Hold empty");
}

} // namespace
