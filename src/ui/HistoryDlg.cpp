#include "ui/HistoryDlg.h"

#include <algorithm>
#include <ctime>

#include "base/AppDataFolder.h"
#include "base/SettingsListKey.h"
#include "base/Util.h"
#include "res/resource.h"
#include "app/HistoryStore.h"
#include "app/RecordExport.h"
#include "app/ReportStore.h"

namespace {

const int kColumnRecipient = 0;
const int kColumnTime = 1;

// The time column is as wide as the newest time needs, within these shares
// of the list's width (in percent); the recipient takes the rest.
const int kTimeColumnPercent = 45;     // without any record
const int kTimeColumnMaxPercent = 60;
const int kCellMargins = 16;           // the list's padding on both sides of a cell's text

constexpr CControlItem kControls[] = {
    {IDC_HISTORY_LIST, EControlKind::ListView},
    {IDC_HISTORY_RECIPIENT_LABEL, EControlKind::Static},
    {IDC_HISTORY_TIME_LABEL, EControlKind::Static},
    {IDC_HISTORY_STATE_LABEL, EControlKind::Static},
    {IDC_HISTORY_RECIPIENT, EControlKind::Edit},
    {IDC_HISTORY_TIME, EControlKind::Edit},
    {IDC_HISTORY_STATE, EControlKind::Edit},
    {IDC_HISTORY_TEXT, EControlKind::Edit},
    {IDC_HISTORY_OK, EControlKind::Button},
    {IDC_HISTORY_SEARCH_LABEL, EControlKind::Static},
    {IDC_HISTORY_SEARCH, EControlKind::Edit},
    {IDC_HISTORY_AGAIN, EControlKind::Button},
    {IDC_HISTORY_EXPORT, EControlKind::Button},
};

} // namespace

CHistoryDlg::CHistoryDlg() : CListDetailDlg(IDD_HISTORY, SkinBitmapIndex::SBI_HISTORY, kControls, IDC_HISTORY_LIST, IDC_HISTORY_SEARCH) {}

// The records are read once, when the window opens, and each is decoded
// when it is shown: the list asks for the text of the rows it shows, so
// opening costs little more for ten thousand records than for ten. The
// delivery reports are looked up for the record selected.
void CHistoryDlg::OnInitDialog()
{
    SetWindowText(WSTR("History"));
    CenterWindow(::GetWindow(m_hWnd, GW_OWNER));
    CSettingsListKey key;
    CAppDataFolder folder;
    m_history = CHistoryStore(key, folder).ReadList();
    InitList();
}

// A virtual list (its colours come with the skinned list view); the newest
// record is selected, so its text shows at once.
void CHistoryDlg::InitList()
{
    const CListView list = List();
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    const int cxList = list.GetClientRect().right - GetSystemMetrics(SM_CXVSCROLL);
    int cxTime = cxList * kTimeColumnPercent / 100;
    if (m_history.GetCount())
        cxTime = std::min(list.GetStringWidth(m_history.Get(m_history.GetCount() - 1).m_strTime) + kCellMargins,
                          cxList * kTimeColumnMaxPercent / 100);
    list.InsertColumn(kColumnRecipient, L"Recipient", cxList - cxTime);
    list.InsertColumn(kColumnTime, L"Time", cxTime);
    Search();
}

bool CHistoryDlg::OnClicked(int nId)
{
    CHistoryRecord record;
    switch (nId) {
    case IDC_HISTORY_OK:
        EndDialog(IDOK);
        return true;
    case IDC_HISTORY_AGAIN:
        if (RecordOfRow(List().GetNextSelected(), record)) {
            m_again = record;
            EndDialog(IDC_HISTORY_AGAIN);
        }
        return true;
    case IDC_HISTORY_EXPORT:
        OnExport();
        return true;
    default:
        return false;
    }
}

// As one types: the records that hold the text, newest first. The records'
// fields are folded for the search once, at the first query.
void CHistoryDlg::Search()
{
    const CSearchQuery query(GetSearchText());
    const size_t nCount = m_history.GetCount();
    if (!query.IsEmpty() && m_aSearch.size() != nCount) {
        m_aSearch.clear();
        m_aSearch.reserve(nCount);
        for (size_t i = 0; i < nCount; ++i)
            m_aSearch.push_back(PrepareHistorySearch(m_history.Get(i)));
    }
    m_aRows.clear();
    m_aRows.reserve(nCount);
    for (size_t i = nCount; i-- > 0;) {
        if (query.IsEmpty() || query.Matches(m_aSearch[i]))
            m_aRows.push_back(i);
    }
    ShowRows(m_aRows.size());
}

// The records shown, oldest first, as a spreadsheet reads them.
void CHistoryDlg::OnExport()
{
    WString strPath = WSTR("history.csv");
    if (!AskCsvPath(strPath))
        return;
    const std::vector<CHistoryRecord> shown =
        OldestFirst<CHistoryRecord>(m_aRows, [this](size_t nIndex) { return m_history.Get(nIndex); });
    CSettingsListKey key;
    const std::string strData = FormatHistoryCsv(shown, CReportStore(key).Read(), GetLocalZoneText(std::time(nullptr)),
                                                 GetListSeparator());
    MessageBox(WriteExport(strPath, strData, shown.size(), L"messages"), L"Export", MB_ICONINFORMATION);
}

void CHistoryDlg::OnGetDispInfo(NMLVDISPINFOW& info) const
{
    CHistoryRecord record;
    if (!(info.item.mask & LVIF_TEXT) || !RecordOfRow(info.item.iItem, record))
        return;
    CopyCell(info.item.iSubItem == kColumnTime ? record.m_strTime : record.GetDisplayName(), info);
}

// No selection leaves the fields empty.
void CHistoryDlg::ShowSelected()
{
    CHistoryRecord record;
    const bool bSelected = RecordOfRow(List().GetNextSelected(), record);
    WString strState;
    if (bSelected) {
        CSettingsListKey key;
        strState = DescribeRecordDelivery(
            CReportStore(key).ReadMessage(GetDeliveryKey(record.m_strNumber, record.m_strTime, record.m_strText)));
    }
    GetDlgItem(IDC_HISTORY_RECIPIENT).SetWindowText(record.GetDisplayName());
    GetDlgItem(IDC_HISTORY_TIME).SetWindowText(record.m_strTime);
    GetDlgItem(IDC_HISTORY_STATE).SetWindowText(strState);
    GetDlgItem(IDC_HISTORY_TEXT).SetWindowText(WithCrLf(record.m_strText));
}

bool CHistoryDlg::RecordOfRow(int nRow, CHistoryRecord& record) const
{
    if (nRow < 0 || static_cast<size_t>(nRow) >= m_aRows.size())
        return false;
    record = m_history.Get(m_aRows[static_cast<size_t>(nRow)]);
    return true;
}
