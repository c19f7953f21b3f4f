// The message loop of the user-interface thread and its message filters.
#pragma once

#include <windows.h>

#include <vector>

// A window that wants to see messages before they are dispatched (a modeless
// dialog uses this for IsDialogMessageW).
class CMessageFilter {
public:
    // True when the message has been handled: it is neither translated nor dispatched.
    virtual BOOL PreTranslateMessage(MSG* pMsg) = 0;

protected:
    ~CMessageFilter() = default;
};

class CMessageLoop {
public:
    void AddMessageFilter(CMessageFilter* pFilter);
    void RemoveMessageFilter(CMessageFilter* pFilter);

    // Runs until WM_QUIT and returns its wParam. Each message is offered to
    // the filters, the last added first; a GetMessageW failure is skipped.
    int Run();

private:
    bool PreTranslate(MSG* pMsg);

    std::vector<CMessageFilter*> m_aFilters;
};
