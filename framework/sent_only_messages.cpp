#include "framework/sent_only_messages.h"

#include "res/messages.h"

namespace qmo {
namespace {

LRESULT CALLBACK DropPostedSentOnlyMessages(int code, WPARAM removal, LPARAM lParam) noexcept {
    if (code == HC_ACTION && lParam) {
        auto* message = reinterpret_cast<MSG*>(lParam);
        if (IsSentOnlyMessage(message->message)) {
            message->message = WM_NULL;
            message->wParam = 0;
            message->lParam = 0;
        }
    }
    return ::CallNextHookEx(nullptr, code, removal, lParam);
}

}  // namespace

bool IsSentOnlyMessage(UINT message) noexcept {
    switch (message) {
    case WM_NOTIFY:       // points at the control's header
    case WM_INITDIALOG:   // would make a dialog start over
    case WM_DPICHANGED:   // points at the suggested rectangle
    case WM_GETOBJECT:    // hands an accessible object to no one
    case WM_OPTIMIZATION_FINISHED:
    case WM_POPUP_NOTIFY:
    case WM_TASKPANEL_NOTIFY:
        return true;
    default:
        return false;
    }
}

// The hook sees posted messages only: what GetMessage and PeekMessage take
// from the queue, never a send.
SentOnlyMessageFilter::SentOnlyMessageFilter() noexcept
    : m_hook(::SetWindowsHookExW(WH_GETMESSAGE, DropPostedSentOnlyMessages, nullptr, ::GetCurrentThreadId())) {}

}  // namespace qmo
