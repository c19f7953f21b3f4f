#include "ui/StatusLine.h"

#include "base/ListStore.h"
#include "base/Trace.h"
#include "base/Util.h"
#include "win/Announce.h"

void CStatusLine::SetStatus(const WString& strText) const
{
    const CWindow status = m_dlg.GetDlgItem(m_nStatusId);
    status.SetWindowText(strText);
    status.Invalidate();
    Announce(status, strText);
    Trace("%s\n", WideToAnsi(strText).c_str());
}

void CStatusLine::ShowNote(const WString& strText) const
{
    const CWindow note = m_dlg.GetDlgItem(m_nNoteId);
    note.SetWindowText(strText);
    note.Invalidate();
    LayOut(!strText.empty());
    if (strText.empty())
        return;
    Announce(note, strText);
    Trace("%s\n", WideToAnsi(strText).c_str());
}

// On the line under the status, so that the status ("Message sent to ...")
// still tells what did happen.
void CStatusLine::ShowStoreFailure(const WString& strWhat, uint32_t dwError) const
{
    ShowNote(DescribeStoreFailure(strWhat, dwError, GetSystemErrorText(dwError)));
}

// A long status (a port test's words, a message not confirmed) takes both
// lines, wrapped, while no note is shown under it.
void CStatusLine::LayOut(bool bNote) const
{
    const CWindow status = m_dlg.GetDlgItem(m_nStatusId);
    const CWindow note = m_dlg.GetDlgItem(m_nNoteId);
    const RECT rcStatus = status.GetRectIn(m_dlg.m_hWnd);
    const RECT rcNote = note.GetRectIn(m_dlg.m_hWnd);
    const int cy = bNote ? rcNote.top - rcStatus.top : rcNote.bottom - rcStatus.top;
    status.ModifyStyle(bNote ? 0 : SS_ENDELLIPSIS, bNote ? SS_ENDELLIPSIS : 0);
    status.SetWindowPos(nullptr, 0, 0, rcStatus.right - rcStatus.left, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    note.ShowWindow(bNote ? SW_SHOWNA : SW_HIDE);
    status.Invalidate();
}
