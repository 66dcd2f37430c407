// The clock of the end-title screen: its own time t in seconds, the jumps a key press makes, and
// what each part shows at a time (background, text pages, scrolling titles). Pure arithmetic;
// CZJApp::ShowEndTitles draws from it.
#pragma once

#include <algorithm>
#include <cstdint>

struct SEndTitlesClock {
    static constexpr float kLeaveAfter = 360.0f;
    static constexpr float kScrollSpeed = 50.0f; // pixels a second

    float t = 0.0f;
    bool titlesFinished = false;
    bool leaveRequested = false;

    bool Done() const { return t >= 5.0f && leaveRequested; }
    void Advance(float seconds)
    {
        t += seconds;
        if (t > kLeaveAfter)
            leaveRequested = true;
    }
    // Escape or fire: skips to the next part; ignored between the parts' openings.
    void Press()
    {
        if (t < 2.0f)
            t = 2.0f;
        else if (t > 3.0f && t < 20.0f)
            t = 20.0f;
        else if (t > 23.0f && t < 40.0f)
            t = 40.0f;
        else if (t > 43.0f && t < 60.0f)
            t = 60.0f;
        else if (t > 65.0f)
            leaveRequested = true;
    }

    float BackgroundAlpha() const
    {
        if (t < 2.0f)
            return 1.0f;
        if (t <= 150.0f)
            return std::max(0.5f, 1.0f - (t - 2.0f) * 0.5f);
        return std::min(1.0f, (t - 149.0f) * 0.5f);
    }
    bool ShowsPage() const { return t > 2.0f && t < 61.0f; }
    // A page every 20 s from t = 2.
    int Page() const { return int((t - 2.0f) * 0.05f); }
    float PageAlpha() const
    {
        if (titlesFinished)
            return 1.0f;
        const float u = t - 2.0f - 20.0f * float(Page());
        if (u < 1.0f)
            return u;
        if (u > 19.0f)
            return 20.0f - u;
        return 1.0f;
    }
    // The first picture row of the page: pages of the first ending start at 0, others at page 3.
    static int32_t PageRow(int page, int variant) { return 128 * (variant == 1 ? page : page + 3); }
    bool ShowsTitles() const { return t > 60.0f && !titlesFinished; }
    float TitlesAlpha() const { return t < 61.0f ? t - 60.0f : 1.0f; }
    float Scroll() const { return std::max(0.0f, (t - 61.0f) * kScrollSpeed); }
    // Marks the titles finished once their last row has scrolled past.
    void CheckTitles(int32_t screenHeight, int32_t titlesHeight)
    {
        if ((t - 65.0f) * kScrollSpeed + float(screenHeight) - 256.0f > float(titlesHeight))
            titlesFinished = true;
    }
};
