// The History window: the messages recorded in "NewHistory", newest first,
// in a list of recipients and times; the selected one's recipient, time,
// delivery state and whole text are shown beside the list. Modal, skinned
// with history.bmp.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <vector>

#include "skinning/SkinnedDlg.h"
#include "sms/ReportMatch.h"
#include "ui/HistoryRecord.h"
#include "win/Controls.h"

class CHistoryDlg : public CSkinnedDlg {
public:
    CHistoryDlg();

private:
    void OnInitDialog() override;
    void InitList();
    bool OnClicked(int nId) override;
    bool OnCommand(int nId, int nCode) override;
    bool OnNotify(NMHDR& hdr) override;
    void OnGetDispInfo(NMLVDISPINFOW& info) const;
    void ShowSelected();
    // The record a row shows: the list holds the records the other way round.
    const CHistoryRecord* RecordOfRow(int nRow) const;
    CListView List() const;

    std::vector<CHistoryRecord> m_aRecords;  // oldest first, as stored
    std::map<WString, std::vector<CSentPart>> m_reports;  // the parts awaiting or given reports, by delivery key
};
