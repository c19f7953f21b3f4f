#include "ui/RecipientPicker.h"

#include <cstdint>

#include "app/ContactStore.h"
#include "app/NumberList.h"
#include "app/SendInput.h"
#include "base/AppSettings.h"
#include "base/SettingsListKey.h"
#include "res/resource.h"

namespace {

CSendRecipient AsSelected(const CContact& contact)
{
    CSendRecipient recipient;
    recipient.strTyped = contact.GetDisplayName();
    recipient.contact = contact;
    return recipient;
}

} // namespace

void CRecipientPicker::Attach(HWND hDlg)
{
    m_dlg = CWindow(hDlg);
    CButton(m_dlg.GetDlgItem(IDC_RADIO_NUMBER)).SetCheck(true);
    Reload();
    FillNumberList();
}

bool CRecipientPicker::IsNumberMode() const
{
    return CButton(m_dlg.GetDlgItem(IDC_RADIO_NUMBER)).IsChecked();
}

void CRecipientPicker::ComposeTo(const WString& strRecipients)
{
    CButton(m_dlg.GetDlgItem(IDC_RADIO_CONTACT)).SetCheck(false);
    CButton(m_dlg.GetDlgItem(IDC_RADIO_NUMBER)).SetCheck(true);
    NumberBox().SetWindowText(strRecipients);
}

void CRecipientPicker::ShowTyped(const std::vector<CSendRecipient>& recipients)
{
    NumberBox().SetWindowText(JoinTyped(recipients));
}

bool CRecipientPicker::Resolve(std::vector<CSendRecipient>& recipients, WString& strError, int& nFocusId)
{
    recipients.clear();
    m_strNote.clear();
    std::string strReason;
    if (!IsNumberMode()) {
        nFocusId = IDC_CONTACT;
        if (!ResolveSelected(recipients, strReason)) {
            strError = strReason.empty() ? WString(WSTR("Please select a recipient")) : AsSentence(strReason);
            return false;
        }
        return true;
    }
    nFocusId = IDC_NUMBER;
    const WString strField = NumberBox().GetWindowText();
    if (strField.empty()) {
        strError = WSTR("Please enter the recipients' numbers");
        return false;
    }
    CResolveNotes notes;
    if (!ResolveSendList(strField, m_lstContacts, recipients, notes, strReason)) {
        strError = AsSentence(strReason);
        return false;
    }
    m_strNote = DescribeResolveNotes(notes);
    return true;
}

// The contact is carried as it is (its name may begin with a digit); a
// group goes to its members. False with no reason when nothing is selected.
bool CRecipientPicker::ResolveSelected(std::vector<CSendRecipient>& recipients, std::string& strError)
{
    if (const CContact* pContact = GetSelectedContact()) {
        if (!CheckNumber(pContact->m_strNumber, strError))
            return false;
        recipients.push_back(AsSelected(*pContact));
        return true;
    }
    const WString* pGroup = GetSelectedGroup();
    if (!pGroup)
        return false;
    CResolveNotes notes;
    std::vector<CContact> members;
    if (!ResolveGroup(*pGroup, m_lstContacts, members, strError, &notes))
        return false;
    for (const CContact& member : members)
        recipients.push_back(AsSelected(member));
    m_strNote = DescribeResolveNotes(notes);
    return true;
}

void CRecipientPicker::OnContactSelected() const
{
    CAppSettings().Write(ETextSetting::CONTACT, ContactBox().GetWindowText());
    ShowContactNumber();
}

void CRecipientPicker::Reload()
{
    CSettingsListKey key;
    m_lstContacts = CContactStore(key).Load();
    FillContactList();
}

uint32_t CRecipientPicker::TakePhonebook(const std::vector<CContact>& phonebook)
{
    CSettingsListKey key;
    CContactStore store(key);
    m_lstContacts = MergePhonebook(store.Load(), ContactsFromList(ContactsToList(phonebook)));
    FillContactList();
    return store.Save(m_lstContacts);
}

uint32_t CRecipientPicker::AddUsedNumber(const WString& strNumber) const
{
    CSettingsListKey key;
    const uint32_t dwError = CNumberList(key).Add(strNumber);
    const CComboBox box = NumberBox();
    if (box.FindStringExact(strNumber) == CB_ERR)
        box.AddString(strNumber);
    return dwError;
}

CComboBox CRecipientPicker::ContactBox() const
{
    return CComboBox(m_dlg.GetDlgItem(IDC_CONTACT));
}

CComboBox CRecipientPicker::NumberBox() const
{
    return CComboBox(m_dlg.GetDlgItem(IDC_NUMBER));
}

// The contacts, then the groups as "Team (group)": an item's data past the
// contacts is the group's place in m_aGroupItems.
void CRecipientPicker::FillContactList()
{
    const CComboBox box = ContactBox();
    box.ResetContent();
    for (size_t i = 0; i < m_lstContacts.size(); ++i)
        box.SetItemData(box.AddString(m_lstContacts[i].GetDisplayName()), static_cast<LRESULT>(i));
    m_aGroupItems = ListGroups(m_lstContacts);
    for (size_t i = 0; i < m_aGroupItems.size(); ++i)
        box.SetItemData(box.AddString(m_aGroupItems[i] + WSTR(" (group)")),
                        static_cast<LRESULT>(m_lstContacts.size() + i));
    if (box.GetCount() == 0)
        return;
    if (box.SelectString(CAppSettings().Read(ETextSetting::CONTACT)) == CB_ERR)
        box.SetCurSel(0);
    if (!IsNumberMode())
        ShowContactNumber();
}

void CRecipientPicker::FillNumberList() const
{
    CSettingsListKey key;
    const CComboBox box = NumberBox();
    for (const WString& strNumber : CNumberList(key).Read())
        box.AddString(strNumber);
}

// In Contact mode the disabled recipients box shows the number the message
// goes to; in Number mode it holds what the user typed, which nothing else
// may replace.
void CRecipientPicker::ShowContactNumber() const
{
    if (const CContact* pContact = GetSelectedContact())
        NumberBox().SetWindowText(pContact->m_strNumber);
    else if (const WString* pGroup = GetSelectedGroup())
        NumberBox().SetWindowText(*pGroup);
}

// The selected item's place: a contact's, or past the contacts a group's;
// SIZE_MAX when nothing is selected.
size_t CRecipientPicker::GetSelectedIndex() const
{
    const CComboBox box = ContactBox();
    const int nSel = box.GetCurSel();
    return nSel == CB_ERR ? SIZE_MAX : static_cast<size_t>(box.GetItemData(nSel));
}

const CContact* CRecipientPicker::GetSelectedContact() const
{
    const size_t nIndex = GetSelectedIndex();
    return nIndex < m_lstContacts.size() ? &m_lstContacts[nIndex] : nullptr;
}

const WString* CRecipientPicker::GetSelectedGroup() const
{
    const size_t nIndex = GetSelectedIndex();
    return nIndex != SIZE_MAX && nIndex >= m_lstContacts.size() && nIndex - m_lstContacts.size() < m_aGroupItems.size()
               ? &m_aGroupItems[nIndex - m_lstContacts.size()]
               : nullptr;
}
