#include "toolkit/accessible_control.h"

#include <atomic>

#include "framework/com_ptr.h"
#include "framework/system_function.h"

namespace qmo {
namespace {

std::atomic<long> g_liveObjects{0};

HRESULT AnswerText(const std::wstring& text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (text.empty())
        return S_FALSE;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// LresultFromObject needs COM on the asking thread. Set up when a screen
// reader first asks, not at start-up, and kept until the thread ends; a
// thread that already has COM, in either apartment, keeps it as it is.
bool ComReadyOnThisThread() {
    thread_local const com_apartment apartment;
    return apartment.usable();
}

void SetChild(VARIANT* out, long child) {
    out->vt = VT_I4;
    out->lVal = child;
}

}  // namespace

// The object a screen reader holds. Every call is checked against the
// control still being there: the source is forgotten when the window goes.
class AccessibleObject final : public IAccessible {
public:
    AccessibleObject(HWND window, AccessibleSource& source) noexcept : m_window(window), m_source(&source) {
        ++g_liveObjects;
    }

    void Disconnect() noexcept {
        m_source = nullptr;
        m_window = nullptr;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch: no type information; clients call the vtable.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent)
            return E_POINTER;
        *parent = nullptr;
        if (!Connected())
            return CO_E_OBJNOTCONNECTED;
        // The window's own object, as for any client area.
        using ObjectFromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
        static const auto objectFromWindow = SystemFunction<ObjectFromWindow>(L"oleacc.dll", "AccessibleObjectFromWindow");
        if (!objectFromWindow)
            return E_FAIL;
        return objectFromWindow(m_window, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        if (!Connected())
            return CO_E_OBJNOTCONNECTED;
        *count = m_source->AccessibleChildCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        const HRESULT valid = Check(child);
        // Children are simple elements, answered through this object.
        return FAILED(valid) ? valid : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Text(child, name, [](const AccessibleElement& element) { return element.name; });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Text(child, value, [](const AccessibleElement& element) { return element.value; });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return Text(child, text, [](const AccessibleElement&) { return std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
        return Text(child, text, [](const AccessibleElement&) { return std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
        return Text(child, text, [](const AccessibleElement&) { return std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* text) override {
        return Text(child, text, [](const AccessibleElement& element) { return element.defaultAction; });
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        if (file)
            *file = nullptr;
        if (topic)
            *topic = -1;
        const HRESULT valid = Check(child);
        return FAILED(valid) ? valid : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return Number(child, role, [](const AccessibleElement& element) { return element.role; });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return Number(child, state, [](const AccessibleElement& element) { return element.state; });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus)
            return E_POINTER;
        ::VariantInit(focus);
        if (!Connected())
            return CO_E_OBJNOTCONNECTED;
        if (::GetFocus() != m_window)
            return S_FALSE;
        SetChild(focus, m_source->AccessibleFocus());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection)
            return E_POINTER;
        ::VariantInit(selection);
        return Connected() ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT child) override {
        const HRESULT valid = Check(child);
        return FAILED(valid) ? valid : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        if (!left || !top || !width || !height)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        const HRESULT valid = Check(child);
        if (FAILED(valid))
            return valid;
        RECT bounds{};
        if (child.lVal == CHILDID_SELF)
            ::GetClientRect(m_window, &bounds);
        else
            bounds = m_source->DescribeAccessible(child.lVal).bounds;
        ::MapWindowPoints(m_window, nullptr, reinterpret_cast<POINT*>(&bounds), 2);
        *left = bounds.left;
        *top = bounds.top;
        *width = bounds.right - bounds.left;
        *height = bounds.bottom - bounds.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        if (!end)
            return E_POINTER;
        ::VariantInit(end);
        const HRESULT valid = Check(start);
        if (FAILED(valid))
            return valid;
        const long count = m_source->AccessibleChildCount();
        long to = 0;
        if (start.lVal == CHILDID_SELF) {
            if (direction == NAVDIR_FIRSTCHILD)
                to = 1;
            else if (direction == NAVDIR_LASTCHILD)
                to = count;
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN || direction == NAVDIR_RIGHT) {
            to = start.lVal + 1;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP || direction == NAVDIR_LEFT) {
            to = start.lVal - 1;
        }
        if (to < 1 || to > count)
            return S_FALSE;
        SetChild(end, to);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override {
        if (!hit)
            return E_POINTER;
        ::VariantInit(hit);
        if (!Connected())
            return CO_E_OBJNOTCONNECTED;
        POINT point{x, y};
        ::ScreenToClient(m_window, &point);
        RECT client{};
        ::GetClientRect(m_window, &client);
        if (!::PtInRect(&client, point))
            return S_FALSE;
        long found = CHILDID_SELF;
        for (int child = 1; child <= m_source->AccessibleChildCount(); ++child) {
            const RECT bounds = m_source->DescribeAccessible(child).bounds;
            if (::PtInRect(&bounds, point)) {
                found = child;
                break;
            }
        }
        SetChild(hit, found);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        const HRESULT valid = Check(child);
        if (FAILED(valid))
            return valid;
        return m_source->DoAccessibleAction(child.lVal) ? S_OK : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~AccessibleObject() { --g_liveObjects; }

    bool Connected() const noexcept { return m_source && ::IsWindow(m_window); }

    HRESULT Check(const VARIANT& child) const {
        if (!Connected())
            return CO_E_OBJNOTCONNECTED;
        if (child.vt != VT_I4 || child.lVal < 0 || child.lVal > m_source->AccessibleChildCount())
            return E_INVALIDARG;
        return S_OK;
    }

    template <class Pick>
    HRESULT Text(const VARIANT& child, BSTR* out, Pick pick) const {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        const HRESULT valid = Check(child);
        return FAILED(valid) ? valid : AnswerText(pick(m_source->DescribeAccessible(child.lVal)), out);
    }

    template <class Pick>
    HRESULT Number(const VARIANT& child, VARIANT* out, Pick pick) const {
        if (!out)
            return E_POINTER;
        ::VariantInit(out);
        const HRESULT valid = Check(child);
        if (FAILED(valid))
            return valid;
        SetChild(out, pick(m_source->DescribeAccessible(child.lVal)));
        return S_OK;
    }

    std::atomic<ULONG> m_references{1};
    HWND m_window;
    AccessibleSource* m_source;
};

bool AccessibleHost::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_DESTROY) {
        Disconnect();
        return false;
    }
    if (message != WM_GETOBJECT || static_cast<LONG>(lParam) != OBJID_CLIENT || !ComReadyOnThisThread())
        return false;
    // Loaded with the first request: most users never send one.
    using ResultFromObject = LRESULT(WINAPI*)(REFIID, WPARAM, IUnknown*);
    static const auto resultFromObject = SystemFunction<ResultFromObject>(L"oleacc.dll", "LresultFromObject");
    if (!resultFromObject)
        return false;
    if (!m_object)
        m_object = new AccessibleObject(window, m_source);
    result = resultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(m_object));
    return true;
}

void AccessibleHost::Disconnect() noexcept {
    if (!m_object)
        return;
    m_object->Disconnect();
    m_object->Release();
    m_object = nullptr;
}

void AccessibleHost::NotifyFocus(HWND window, int child) noexcept {
    ::NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, child);
}

void AccessibleHost::NotifySelection(HWND window, int child) noexcept {
    ::NotifyWinEvent(EVENT_OBJECT_SELECTION, window, OBJID_CLIENT, child);
}

long LiveAccessibleObjects() noexcept {
    return g_liveObjects.load();
}

std::wstring TextWithoutAccessKey(std::wstring_view text) {
    std::wstring plain;
    for (std::size_t index = 0; index < text.size(); ++index) {
        // "&&" is a literal ampersand; a single one marks the key.
        if (text[index] == L'&' && index + 1 < text.size())
            ++index;
        plain += text[index];
    }
    return plain;
}

}  // namespace qmo
