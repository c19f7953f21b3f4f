// The History window: the messages recorded in "NewHistory", newest first,
// in a list of recipients and times; the selected one's recipient, time,
// delivery state and whole text are shown beside the list. Modal, skinned
// with history.bmp.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <vector>

#include "skinning/SkinnedButton.h"
#include "skinning/SkinnedDialog.h"
#include "skinning/SkinnedEdit.h"
#include "skinning/StaticEx.h"
#include "sms/ReportMatch.h"
#include "ui/HistoryRecord.h"
#include "win/Controls.h"
#include "win/Dialog.h"

class CHistoryDlg : public CDialog {
public:
    CHistoryDlg();

    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    void OnInitDialog();
    void AttachControls();
    void InitList();
    bool OnCommand(int nId, int nCode);
    bool OnNotify(NMHDR& hdr);
    void OnGetDispInfo(NMLVDISPINFOW& info) const;
    void ShowSelected();
    // The record a row shows: the list holds the records the other way round.
    const CHistoryRecord* RecordOfRow(int nRow) const;
    CListView List() const;

    CSkinnedDialog m_skin{m_hWnd, SBI_HISTORY};  // consulted first for every message
    std::vector<CHistoryRecord> m_aRecords;      // oldest first, as stored
    std::map<WString, std::vector<CSentPart>> m_reports;  // the parts awaiting or given reports, by delivery key

    // The controls, in the order they are attached.
    CStaticEx m_aStatics[3] = {{m_hWnd, SBI_HISTORY}, {m_hWnd, SBI_HISTORY}, {m_hWnd, SBI_HISTORY}};
    CSkinnedEdit m_aEdits[4] = {{m_hWnd, SBI_HISTORY}, {m_hWnd, SBI_HISTORY}, {m_hWnd, SBI_HISTORY},
                                {m_hWnd, SBI_HISTORY}};
    CSkinnedButton m_btnOk{m_hWnd, SBI_HISTORY};
};
