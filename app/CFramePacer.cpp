#include "app/CFramePacer.h"

#include "platform/win/clock.h"

#include <utility>

namespace {

constexpr int64_t kNsPerMs = plat::win::kCounterFrequency / 1000;

} // namespace

CFramePacer::CFramePacer()
    : CFramePacer(Clock { plat::win::CounterNow, plat::win::Sleep })
{
}

CFramePacer::CFramePacer(Clock clock)
    : m_clock(std::move(clock))
{
    SetRate(kDefaultRate);
}

void CFramePacer::SetRate(int hertz)
{
    m_period = plat::win::kCounterFrequency / (hertz >= 1 ? hertz : kDefaultRate);
}

void CFramePacer::Pace()
{
    if (m_start >= 0) {
        const int64_t left = m_start + m_period - m_clock.now();
        if (left >= kNsPerMs)
            m_clock.sleep(uint32_t(left / kNsPerMs));
    }
    m_start = m_clock.now();
}
