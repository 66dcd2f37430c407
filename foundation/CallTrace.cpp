#include "foundation/CallTrace.h"

#include "foundation/ErrorLog.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

constexpr std::size_t kMaxTrace = kCallTraceSize - 1;
constexpr char kRestart[] = "...->";

std::mutex g_rootMutex;
char g_root[64] = "EXCEPTION:";

struct Trace {
    char text[kCallTraceSize];
    std::size_t length = 0;
    bool ready = false;
};

thread_local Trace t_trace;

void CopyRoot(Trace& trace) noexcept
{
    std::lock_guard lock(g_rootMutex);
    trace.length = std::strlen(g_root);
    std::memcpy(trace.text, g_root, trace.length + 1);
    trace.ready = true;
}

Trace& CurrentTrace() noexcept
{
    if (!t_trace.ready)
        CopyRoot(t_trace);
    return t_trace;
}

} // namespace

void AppendCallTrace(const char* name) noexcept
{
    Trace& trace = CurrentTrace();
    if (!name)
        name = "";
    std::size_t nameLength = std::strlen(name);
    if (trace.length + nameLength + 2 > kMaxTrace) {
        trace.length = sizeof(kRestart) - 1;
        std::memcpy(trace.text, kRestart, sizeof(kRestart));
    }
    // A name longer than the whole trace keeps only what fits.
    nameLength = std::min(nameLength, kMaxTrace - trace.length - 2);
    trace.text[trace.length++] = '-';
    trace.text[trace.length++] = '>';
    std::memcpy(trace.text + trace.length, name, nameLength);
    trace.length += nameLength;
    trace.text[trace.length] = 0;
}

void FlushCallTrace()
{
    Trace& trace = CurrentTrace();
    WriteErrorLog(trace.text);
    CopyRoot(trace);
}

void ResetCallTrace() noexcept
{
    CopyRoot(t_trace);
}

const char* CallTraceText() noexcept
{
    return CurrentTrace().text;
}

void SetCallTraceRoot(const char* root)
{
    {
        std::lock_guard lock(g_rootMutex);
        std::size_t length = std::min(std::strlen(root ? root : ""), sizeof(g_root) - 1);
        std::memcpy(g_root, root ? root : "", length);
        g_root[length] = 0;
    }
    CopyRoot(t_trace);
}
