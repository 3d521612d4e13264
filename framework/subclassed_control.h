#pragma once
// A control of another window class taken over: its messages reach our typed
// handlers first, and whatever they leave goes to the control's own
// procedure. The hook comes off when the control is destroyed or when this
// object goes first; a control this object did not make then lives on as it was.
#include "framework/window.h"

namespace qmo {

class SubclassedControl : public Window {
public:
    ~SubclassedControl() override;

protected:
    // Takes over `control`; `owns`: this object made it and destroys it.
    // False for no control, one of ours already, or a refused hook.
    bool Subclass(HWND control, bool owns);
    // Hands the control back to its own procedure; nothing when not hooked.
    void Unsubclass() noexcept;

    // The control's own procedure.
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Every hooked message but the last comes through here to HandleMessage.
    virtual LRESULT ReceiveMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data) noexcept;
};

}  // namespace qmo
