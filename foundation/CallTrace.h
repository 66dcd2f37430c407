// The call trace: a per-thread text of at most 2047 characters that starts as the root
// ("EXCEPTION:") and collects "->Class::Method" while an exception travels outwards, innermost
// first. The handler that ends the exception calls FlushCallTrace.
#pragma once

#include <cstddef>
#include <exception>

inline constexpr std::size_t kCallTraceSize = 2048;

// Appends "->" and name; when that would pass 2047 characters the trace restarts as "...->".
void AppendCallTrace(const char* name) noexcept;
// Writes the trace as one error-log line and resets it to the root.
void FlushCallTrace();
// Resets the trace to the root without logging (after an operation that completed).
void ResetCallTrace() noexcept;
// The calling thread's trace text.
const char* CallTraceText() noexcept;
// The root every trace starts with and returns to ("EXEPTION:" for the settings program);
// also resets the calling thread's trace.
void SetCallTraceRoot(const char* root);

// Appends its name to the trace when an exception leaves the scope it guards; the exception
// goes on unchanged. Costs no allocation on the normal path.
class XTraceGuard {
public:
    explicit XTraceGuard(const char* name) noexcept
        : m_name(name)
        , m_uncaught(std::uncaught_exceptions())
    {
    }
    ~XTraceGuard()
    {
        if (std::uncaught_exceptions() > m_uncaught)
            AppendCallTrace(m_name);
    }
    XTraceGuard(const XTraceGuard&) = delete;
    XTraceGuard& operator=(const XTraceGuard&) = delete;

private:
    const char* m_name;
    int m_uncaught;
};

#define ZJ_TRACE_JOIN2(a, b) a##b
#define ZJ_TRACE_JOIN(a, b) ZJ_TRACE_JOIN2(a, b)
// At the top of a method: ZJ_TRACE("CZJApp::InitMainFerro");
#define ZJ_TRACE(name) const XTraceGuard ZJ_TRACE_JOIN(zjTraceGuard_, __LINE__)(name)
