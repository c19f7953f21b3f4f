// The main window's status display: the status of the request (every step
// of it, also in the trace) and the note under it, for what the status beside
// it does not say (a list that could not be stored, recipients merged, a
// message restored). Without a note a long status wraps onto both lines.
// Screen readers are told each status and note as it is shown.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/Text.h"
#include "win/Window.h"

class CStatusLine {
public:
    // hDlg: the dialog holding the two controls.
    CStatusLine(HWND hDlg, int nStatusId, int nNoteId) : m_dlg(hDlg), m_nStatusId(nStatusId), m_nNoteId(nNoteId) {}

    void SetStatus(const WString& strText) const;
    // An empty text takes the note away.
    void ShowNote(const WString& strText) const;
    // A list that could not be stored: it stays until the next request begins.
    void ShowStoreFailure(const WString& strWhat, uint32_t dwError) const;

private:
    void LayOut(bool bNote) const;

    CWindow m_dlg;
    int m_nStatusId;
    int m_nNoteId;
};
