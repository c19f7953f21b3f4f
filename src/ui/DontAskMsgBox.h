// A Yes/No question of the system's message box with a "Don't ask again"
// check box under its buttons. The box itself is left as the system makes
// it: its window is caught as it is created (a CBT hook of this thread) and
// the object takes its messages first, adding the check box once the box
// has laid itself out and reading it when the box goes.
#pragma once

#include <windows.h>

#include "base/Raii.h"
#include "base/Text.h"
#include "win/SubclassedWindow.h"

class CDontAskMsgBox : public CSubclassedWindow {
public:
    CDontAskMsgBox() = default;

    // Shows the question and waits for the answer: IDYES or IDNO (0 when the
    // box cannot be shown).
    int DoModal(HWND hOwner, const WString& strText, const WString& strCaption);

    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

    // After DoModal: the user ticked "Don't ask again". False whenever the
    // box had no check box to tick (the box could not be caught, or had no
    // Yes button or no text), so nothing is switched off without the user's word.
    bool m_bDontAsk = false;

protected:
    // Takes the box's window as it is being created; false leaves the box plain.
    virtual bool AttachBox(HWND hBox) { return Attach(hBox); }

private:
    static LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam);
    void TakeIfBox(HWND hWnd);
    void AddCheckBox();

    CHook m_hHook;              // only until the box's window is created
    HWND m_hCheck = nullptr;    // the added check box
};
