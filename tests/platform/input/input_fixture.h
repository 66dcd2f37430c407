// A focused window, the input system and helpers to read devices, for the input layer's tests.
#pragma once

#include "platform/input/device.h"
#include "platform/input/input.h"
#include "platform/window/cursor.h"
#include "platform/window/window.h"
#include "tests/platform/window/sdl_events.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace test {

struct Ev {
    uint32_t offset;
    int32_t data;
    bool operator==(const Ev&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Ev& e)
{
    return out << "{" << e.offset << ", " << e.data << "}";
}

inline std::vector<Ev> Read(
    plat::input::Device& device, plat::input::Result* result = nullptr, uint32_t max = 1024)
{
    plat::window::DrainEvents();
    std::vector<plat::input::DeviceEvent> events(max);
    uint32_t count = max;
    plat::input::Result r = device.GetDeviceData(events.data(), count);
    if (result)
        *result = r;
    std::vector<Ev> out;
    for (uint32_t i = 0; i < count; ++i)
        out.push_back({ events[i].offset, events[i].data });
    return out;
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::window::ClearMessages();
        plat::window::ResetCursor();
        plat::window::WindowDesc desc;
        desc.className = "ZOQWC0";
        desc.width = 640;
        desc.height = 480;
        window = plat::window::Window::Create(desc);
        ASSERT_TRUE(window);
        input = std::make_unique<plat::input::Input>();
        Focus(*window);
    }

    void TearDown() override
    {
        input.reset();
        window.reset();
        plat::window::ClearMessages();
        plat::window::ResetCursor();
    }

    std::unique_ptr<plat::window::Window> window;
    std::unique_ptr<plat::input::Input> input;
};

} // namespace test
