// The History window: the messages recorded in "NewHistory", newest first,
// in a list of recipients and times; the selected one's recipient, time,
// delivery state and whole text are shown beside the list. The search box
// keeps the records whose recipient, name or text holds what it says;
// Export... writes those shown as CSV; Send again ends the dialog with
// IDC_HISTORY_AGAIN and the selected record in GetAgain(), for the main
// window to put in its boxes. Modal, skinned with history.bmp.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "app/HistoryList.h"
#include "app/HistoryRecord.h"
#include "app/TextSearch.h"
#include "ui/ListDetailDlg.h"
#include "win/Controls.h"

class CHistoryDlg : public CListDetailDlg {
public:
    CHistoryDlg();

    const CHistoryRecord& GetAgain() const { return m_again; }
    // A delivery report applied: the selected record's state is read again.
    void ShowDelivery() { ShowSelected(); }

private:
    void OnInitDialog() override;
    void InitList();
    bool OnClicked(int nId) override;
    void Search() override;
    void OnExport();
    void OnGetDispInfo(NMLVDISPINFOW& info) const override;
    void ShowSelected() override;
    // The record a row shows (the list holds them the other way round);
    // false for no row.
    bool RecordOfRow(int nRow, CHistoryRecord& record) const;

    CHistoryList m_history;                 // oldest first, as stored
    std::vector<size_t> m_aRows;            // the records shown, newest first
    std::vector<CSearchFields> m_aSearch;   // each record's, once a search asks for them
    CHistoryRecord m_again;
};
