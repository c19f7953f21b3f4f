#include "ui/ContactsDlg.h"

#include <algorithm>

#include "base/SettingsListKey.h"
#include "base/Util.h"
#include "res/resource.h"
#include "app/ContactImport.h"
#include "app/ContactStore.h"
#include "app/SendInput.h"
#include "app/TextSearch.h"
#include "win/Controls.h"
#include "win/FileDialog.h"
#include "win/Dpi.h"

namespace {

// The boxes name the program: they may stand alone on the taskbar.
const wchar_t kImportCaption[] = L"Zandu SMS - Import";

const int kColumnName = 0;
const int kColumnNumber = 1;
const int kColumnFrom = 2;
const size_t kLinesShown = 12;  // refusals and notes in the import's question; the rest are counted

constexpr CControlItem kControls[] = {
    {IDC_CONTACTS_SEARCH_LABEL, EControlKind::Static}, {IDC_CONTACTS_SEARCH, EControlKind::Edit},
    {IDC_CONTACTS_LIST, EControlKind::ListView},        {IDC_CONTACTS_GROUP, EControlKind::ComboBox},
    {IDC_CONTACTS_NAME_LABEL, EControlKind::Static},   {IDC_CONTACTS_NAME, EControlKind::Edit},
    {IDC_CONTACTS_NUMBER_LABEL, EControlKind::Static}, {IDC_CONTACTS_NUMBER, EControlKind::Edit},
    {IDC_CONTACTS_GROUPS_LABEL, EControlKind::Static}, {IDC_CONTACTS_GROUPS, EControlKind::Edit},
    {IDC_CONTACTS_ORIGIN, EControlKind::Static},       {IDC_CONTACTS_NEW, EControlKind::Button},
    {IDC_CONTACTS_SAVE, EControlKind::Button},         {IDC_CONTACTS_DELETE, EControlKind::Button},
    {IDC_CONTACTS_STATUS, EControlKind::Static},       {IDC_CONTACTS_IMPORT, EControlKind::Button},
    {IDC_CONTACTS_EXPORT, EControlKind::Button},       {IDC_CONTACTS_OK, EControlKind::Button},
};

std::vector<CContact> LoadStored()
{
    CSettingsListKey key;
    return CContactStore(key).Load();
}

// The stored contact of that name and number.
size_t FindStored(const std::vector<CContact>& contacts, const WString& strName, const WString& strNumber)
{
    for (size_t i = 0; i < contacts.size(); ++i) {
        if (contacts[i].m_strName == strName && contacts[i].m_strNumber == strNumber)
            return i;
    }
    return contacts.size();
}

} // namespace

CContactsDlg::CContactsDlg() : CListDetailDlg(IDD_CONTACTS, SkinBitmapIndex::SBI_CONTACTS, kControls, IDC_CONTACTS_LIST, IDC_CONTACTS_SEARCH)
{
}

void CContactsDlg::OnInitDialog()
{
    SetWindowText(WSTR("Contacts"));
    CenterWindow(::GetWindow(m_hWnd, GW_OWNER));
    const CListView list = List();
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    const int cxList = list.GetClientRect().right - GetSystemMetricForDpi(SM_CXVSCROLL, GetWindowDpi(m_hWnd));
    list.InsertColumn(kColumnName, L"Name", cxList * 46 / 100);
    list.InsertColumn(kColumnNumber, L"Number", cxList * 36 / 100);
    list.InsertColumn(kColumnFrom, L"From", cxList - cxList * 46 / 100 - cxList * 36 / 100);
    Reload(WString());
    ShowStatus(WSTR("Groups are separated by ';'. A group's name in the recipients box sends to its members."));
}

void CContactsDlg::Reload(const WString& strSelect)
{
    m_contacts = LoadStored();
    FillGroups();
    Search(strSelect);
}

// "All contacts", then each group; the one shown before stays shown.
void CContactsDlg::FillGroups()
{
    const CComboBox box(GetDlgItem(IDC_CONTACTS_GROUP));
    const WString strShown = GetGroupShown();
    box.ResetContent();
    box.AddString(WSTR("All contacts"));
    int nSelect = 0;
    for (const WString& strGroup : ListGroups(m_contacts)) {
        const int nItem = box.AddString(strGroup);
        if (IsSameName(strGroup, strShown))
            nSelect = nItem;
    }
    box.SetCurSel(nSelect);
}

WString CContactsDlg::GetGroupShown() const
{
    const CComboBox box(GetDlgItem(IDC_CONTACTS_GROUP));
    return box.GetCurSel() > 0 ? box.GetWindowText() : WString();
}

void CContactsDlg::Search(const WString& strSelect)
{
    const WString strQuery = GetSearchText();
    const WString strGroup = GetGroupShown();
    m_aRows.clear();
    for (size_t i = 0; i < m_contacts.size(); ++i) {
        const CContact& contact = m_contacts[i];
        if ((strGroup.empty() || contact.IsInGroup(strGroup)) &&
            MatchesSearch(strQuery, {contact.m_strName, contact.m_strNumber, JoinGroups(contact.m_aGroups)}))
            m_aRows.push_back(i);
    }
    std::stable_sort(m_aRows.begin(), m_aRows.end(), [this](size_t a, size_t b) {
        return IsListedBefore(m_contacts[a].m_strName, m_contacts[b].m_strName);
    });
    ShowRows(m_aRows.size());
    for (size_t nRow = 0; nRow < m_aRows.size() && !strSelect.empty(); ++nRow) {
        if (m_contacts[m_aRows[nRow]].m_strName == strSelect) {
            List().SelectItem(static_cast<int>(nRow));
            List().SendMessage(LVM_ENSUREVISIBLE, nRow, FALSE);
            ShowSelected();
            break;
        }
    }
}

const CContact* CContactsDlg::ContactOfRow(int nRow) const
{
    if (nRow < 0 || static_cast<size_t>(nRow) >= m_aRows.size())
        return nullptr;
    return &m_contacts[m_aRows[static_cast<size_t>(nRow)]];
}

void CContactsDlg::OnGetDispInfo(NMLVDISPINFOW& info) const
{
    const CContact* pContact = ContactOfRow(info.item.iItem);
    if (!pContact || !(info.item.mask & LVIF_TEXT))
        return;
    if (info.item.iSubItem == kColumnName)
        CopyCell(pContact->m_strName, info);
    else if (info.item.iSubItem == kColumnNumber)
        CopyCell(pContact->m_strNumber, info);
    else
        CopyCell(pContact->m_bOwn ? WString() : WString(WSTR("phone")), info);
}

// No selection: the fields are for a new contact.
void CContactsDlg::ShowSelected()
{
    const CContact* pContact = ContactOfRow(List().GetNextSelected());
    m_bEditing = pContact != nullptr;
    const CContact none;
    const CContact& contact = pContact ? *pContact : none;
    m_strEditingName = contact.m_strName;
    m_strEditingNumber = contact.m_strNumber;
    GetDlgItem(IDC_CONTACTS_NAME).SetWindowText(contact.m_strName);
    GetDlgItem(IDC_CONTACTS_NUMBER).SetWindowText(contact.m_strNumber);
    GetDlgItem(IDC_CONTACTS_GROUPS).SetWindowText(JoinGroups(contact.m_aGroups));
    const CWindow origin = GetDlgItem(IDC_CONTACTS_ORIGIN);
    origin.SetWindowText(!pContact ? WSTR("New contact") : contact.m_bOwn ? WSTR("Your own contact") : WSTR("From the phone"));
    origin.Invalidate();
}

void CContactsDlg::ShowStatus(const WString& strText)
{
    ShowStatusOn(IDC_CONTACTS_STATUS, strText);
}

bool CContactsDlg::OnClicked(int nId)
{
    switch (nId) {
    case IDC_CONTACTS_OK:  // also Enter, the default button: in a field of the contact it saves
        if (IsInFields())
            OnSave();
        else
            EndDialog(IDOK);
        return true;
    case IDC_CONTACTS_NEW:
        OnNew();
        return true;
    case IDC_CONTACTS_SAVE:
        OnSave();
        return true;
    case IDC_CONTACTS_DELETE:
        OnDelete();
        return true;
    case IDC_CONTACTS_IMPORT:
        OnImport();
        return true;
    case IDC_CONTACTS_EXPORT:
        OnExport();
        return true;
    default:
        return false;
    }
}

bool CContactsDlg::IsInFields() const
{
    const HWND hFocus = ::GetFocus();
    return hFocus == GetDlgItem(IDC_CONTACTS_NAME) || hFocus == GetDlgItem(IDC_CONTACTS_NUMBER) ||
           hFocus == GetDlgItem(IDC_CONTACTS_GROUPS);
}

// Another group shown narrows the list; Enter in a field of the contact
// saves it rather than closing the window.
bool CContactsDlg::OnCommand(int nId, int nCode)
{
    if (nId == IDC_CONTACTS_GROUP) {
        if (nCode == CBN_SELCHANGE)
            Search(WString());
        return true;
    }
    if (nId == IDOK && IsInFields()) {
        OnSave();
        return true;
    }
    return CListDetailDlg::OnCommand(nId, nCode);
}

void CContactsDlg::OnNew()
{
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    List().SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));  // every row
    ShowSelected();
    GetDlgItem(IDC_CONTACTS_NAME).SetFocus();
}

// Checked as the send checks a number; refused with the reason, else stored.
// Not while an import runs (Enter in a field), whose plan is made against
// the list as it was.
void CContactsDlg::OnSave()
{
    if (m_pImport)
        return;
    CContact edited(TrimBlanks(GetDlgItem(IDC_CONTACTS_NAME).GetWindowText()),
                    TrimBlanks(GetDlgItem(IDC_CONTACTS_NUMBER).GetWindowText()));
    edited.m_aGroups = SplitGroups(GetDlgItem(IDC_CONTACTS_GROUPS).GetWindowText());
    edited.m_bOwn = true;
    std::string strError;
    if (!CheckContact(edited, strError)) {
        ShowStatus(AsSentence(strError));
        return;
    }
    std::vector<CContact> contacts = LoadStored();
    const size_t nAt = m_bEditing ? FindStored(contacts, m_strEditingName, m_strEditingNumber) : contacts.size();
    for (size_t i = 0; i < contacts.size(); ++i) {
        if (i != nAt && IsSameName(contacts[i].m_strName, edited.m_strName)) {
            ShowStatus(WSTR("A contact named '") + contacts[i].m_strName + WSTR("' exists already"));
            return;
        }
    }
    if (nAt < contacts.size()) {
        const CContact& old = contacts[nAt];
        if (old.m_strName == edited.m_strName && old.m_strNumber == edited.m_strNumber && old.m_aGroups == edited.m_aGroups)
            return ShowStatus(WSTR("Nothing changed"));
        contacts[nAt] = edited;
    } else if (contacts.size() >= CContactStore::kMaxContacts) {
        return ShowStatus(WSTR("The list holds as many contacts as it can"));
    } else {
        contacts.push_back(edited);
    }
    if (Store(contacts)) {
        Reload(edited.m_strName);
        ShowStatus(WSTR("Saved ") + edited.GetDisplayName());
    }
}

void CContactsDlg::OnDelete()
{
    if (!m_bEditing)
        return;
    std::vector<CContact> contacts = LoadStored();
    const size_t nAt = FindStored(contacts, m_strEditingName, m_strEditingNumber);
    if (nAt >= contacts.size())
        return;
    const CContact deleted = contacts[nAt];
    contacts.erase(contacts.begin() + static_cast<std::ptrdiff_t>(nAt));
    if (!Store(contacts))
        return;
    Reload(WString());
    ShowStatus(WSTR("Deleted ") + deleted.GetDisplayName() +
               (deleted.m_bOwn ? WString() : WString(WSTR(": the next phone-book download brings it back"))));
}

// The file is read on the worker; the button cancels it meanwhile.
void CContactsDlg::OnImport()
{
    if (m_pImport) {
        m_bImportCancelled = true;
        m_pImport->Cancel();
        return;
    }
    WString strPath;
    if (!AskFileToOpen(m_hWnd, L"Import Contacts",
                       L"Contacts (*.csv; *.vcf; *.txt)\0*.csv;*.vcf;*.vcard;*.txt\0All files\0*.*\0", strPath))
        return;
    m_strImportPath = strPath;
    m_bImportCancelled = false;
    m_ui.Attach(m_hWnd);
    m_pImport.reset(new CImportWorker(
        m_ui, strPath, LoadStored(),
        [this](unsigned nPercent) { GetDlgItem(IDC_CONTACTS_PROGRESS).SendMessage(PBM_SETPOS, nPercent, 0); },
        [this](const CImportResult& result) {
            m_pImport.reset();  // joins the thread, which has nothing left to do
            ShowImporting(false);
            OnImportDone(result);
        }));
    if (!m_pImport->Start(THREAD_PRIORITY_NORMAL)) {
        m_pImport.reset();
        ShowStatus(WSTR("Could not start the import"));
        return;
    }
    ShowImporting(true);
}

// The editing waits for the import, whose plan is made against the list as it was.
void CContactsDlg::ShowImporting(bool bImporting)
{
    const CWindow progress = GetDlgItem(IDC_CONTACTS_PROGRESS);
    progress.SendMessage(PBM_SETRANGE32, 0, 100);
    progress.SendMessage(PBM_SETPOS, 0, 0);
    progress.ShowWindow(bImporting ? SW_SHOW : SW_HIDE);
    const CWindow button = GetDlgItem(IDC_CONTACTS_IMPORT);
    button.SetWindowText(bImporting ? WSTR("Cancel") : WSTR("Import..."));
    button.Invalidate();
    for (int nId : {IDC_CONTACTS_NEW, IDC_CONTACTS_SAVE, IDC_CONTACTS_DELETE, IDC_CONTACTS_EXPORT}) {
        GetDlgItem(nId).EnableWindow(!bImporting);
        GetDlgItem(nId).Invalidate();
    }
    if (bImporting)
        ShowStatus(WSTR("Reading ") + m_strImportPath + WSTR("..."));
}

bool CContactsDlg::OnMessage(UINT uMsg, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& lResult)
{
    if (uMsg != CUiQueue::GetMessageId())
        return false;
    m_ui.Drain();
    lResult = 0;
    return true;
}

void CContactsDlg::OnDestroy()
{
    if (!m_pImport)
        return;
    m_pImport->Cancel();
    m_pImport.reset();
    m_ui.Discard();
}

// Nothing is stored before the user has seen what the file would do.
void CContactsDlg::OnImportDone(const CImportResult& result)
{
    if (m_bImportCancelled || result.bStopped) {
        ShowStatus(WSTR("Import cancelled: nothing was stored"));
        return;
    }
    if (!result.bRead) {
        ShowStatus(WString());
        MessageBox(WSTR("Cannot import ") + m_strImportPath + WSTR(": ") + Utf8ToWide(result.strError), kImportCaption,
                   MB_ICONERROR);
        return;
    }
    const CImportPlan& plan = result.plan;
    WString strText = Utf8ToWide(DescribeImport(plan));
    std::vector<std::string> aLines = plan.aRefusals;
    aLines.insert(aLines.end(), plan.aNotes.begin(), plan.aNotes.end());
    for (size_t i = 0; i < aLines.size() && i < kLinesShown; ++i)
        strText += WSTR("\r\n") + Utf8ToWide(aLines[i]);
    if (aLines.size() > kLinesShown)
        strText += WSTR("\r\n(and ") + Utf8ToWide(std::to_string(aLines.size() - kLinesShown)) + WSTR(" more)");
    ShowStatus(WString());
    if (plan.nNew + plan.nUpdated == 0) {
        MessageBox(strText + WSTR("\r\n\r\nNothing to import."), kImportCaption, MB_ICONINFORMATION);
        return;
    }
    if (MessageBox(strText + WSTR("\r\n\r\nImport them?"), kImportCaption, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    if (Store(plan.contacts)) {
        Reload(WString());
        ShowStatus(WSTR("Imported: ") + Utf8ToWide(DescribeImport(plan)));
    }
}

// The group shown (or everyone), as CSV or vCard by the name's extension.
void CContactsDlg::OnExport()
{
    const WString strGroup = GetGroupShown();
    WString strPath = (strGroup.empty() ? WString(WSTR("contacts")) : strGroup) + WSTR(".csv");
    DWORD nFilter = 1;
    if (!AskExportPath(L"CSV (*.csv)\0*.csv\0vCard (*.vcf)\0*.vcf\0", L"csv", strPath, nFilter))
        return;
    const WString strExt = FoldForSearch(strPath.substr(strPath.size() > 4 ? strPath.size() - 4 : 0));
    const bool bVcard = strExt == WSTR(".vcf") || (strExt != WSTR(".csv") && nFilter == 2);
    const std::vector<CContact> contacts = LoadStored();
    const size_t nCount = static_cast<size_t>(std::count_if(contacts.begin(), contacts.end(), [&](const CContact& c) {
        return strGroup.empty() || c.IsInGroup(strGroup);
    }));
    ShowStatus(
        WriteExport(strPath, FormatContactsFile(contacts, strGroup, bVcard, GetListSeparator()), nCount, L"contacts"));
}

bool CContactsDlg::Store(const std::vector<CContact>& contacts)
{
    CSettingsListKey key;
    const uint32_t dwError = CContactStore(key).Save(contacts);
    if (dwError == ERROR_SUCCESS)
        return true;
    ShowStatus(DescribeStoreFailure(WSTR("save the contacts"), dwError, GetSystemErrorText(dwError)));
    return false;
}
