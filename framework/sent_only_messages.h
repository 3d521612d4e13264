#pragma once
// Some messages are only ever sent: their parameters point into the sender's
// memory or name objects of ours. Another program may post them all the same,
// with any value, and every message loop of the thread (ours, a dialog box's,
// a menu's) would dispatch them as if they were real. While a filter lives, a
// hook on its thread turns such a posted message into WM_NULL before anything
// dispatches it.
#include <windows.h>

#include "framework/unique_handle.h"

namespace qmo {

// Messages no window of ours ever receives posted.
bool IsSentOnlyMessage(UINT message) noexcept;

class SentOnlyMessageFilter {
public:
    SentOnlyMessageFilter() noexcept;
    SentOnlyMessageFilter(const SentOnlyMessageFilter&) = delete;
    SentOnlyMessageFilter& operator=(const SentOnlyMessageFilter&) = delete;

private:
    unique_hook m_hook;
};

}  // namespace qmo
