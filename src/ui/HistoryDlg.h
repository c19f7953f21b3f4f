// The History window: the messages recorded in "NewHistory", newest first,
// in a list of recipients and times; the selected one's recipient, time,
// delivery state and whole text are shown beside the list. Modal, skinned
// with history.bmp.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <vector>

#include "sms/ReportMatch.h"
#include "app/HistoryRecord.h"
#include "ui/ListDetailDlg.h"
#include "win/Controls.h"

class CHistoryDlg : public CListDetailDlg {
public:
    CHistoryDlg();

private:
    void OnInitDialog() override;
    void InitList();
    bool OnClicked(int nId) override;
    void OnGetDispInfo(NMLVDISPINFOW& info) const override;
    void ShowSelected() override;
    // The record a row shows: the list holds the records the other way round.
    const CHistoryRecord* RecordOfRow(int nRow) const;

    std::vector<CHistoryRecord> m_aRecords;  // oldest first, as stored
    std::map<WString, std::vector<CSentPart>> m_reports;  // the parts awaiting or given reports, by delivery key
};
