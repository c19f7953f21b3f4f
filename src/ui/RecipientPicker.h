// The main window's recipients: Number mode's box, which offers the numbers
// used before, and Contact mode's list of the contacts with the groups after
// them; what a send goes to, resolved and checked as typed or selected.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/Contact.h"
#include "app/SendList.h"
#include "base/Text.h"
#include "win/Controls.h"

class CRecipientPicker {
public:
    // When the dialog is created: Number mode, the lists filled.
    void Attach(HWND hDlg);

    bool IsNumberMode() const;
    // Number mode with the recipients box holding strRecipients (Send again, Reply).
    void ComposeTo(const WString& strRecipients);
    // The recipients box holds these, as typed, for the next Send.
    void ShowTyped(const std::vector<CSendRecipient>& recipients);
    // Number mode: the recipients box, numbers, contacts' names and groups
    // separated by semicolons. Contact mode: the contact or group selected.
    // False with the message and the control to focus.
    bool Resolve(std::vector<CSendRecipient>& recipients, WString& strError, int& nFocusId);
    // What the last Resolve merged or chose, for the status line; empty when nothing.
    const WString& GetNote() const { return m_strNote; }

    void OnContactMode() const { ShowContactNumber(); }
    void OnContactSelected() const;
    // The contacts read again: the Contacts window or the console tool may
    // have changed them.
    void Reload();
    // A downloaded phone book merged into the contacts, which keep the user's
    // own, and stored; the error of the store.
    uint32_t TakePhonebook(const std::vector<CContact>& phonebook);
    // A number sent to in Number mode, offered again; the error of storing it.
    uint32_t AddUsedNumber(const WString& strNumber) const;
    const std::vector<CContact>& GetContacts() const { return m_lstContacts; }

private:
    CComboBox ContactBox() const;
    CComboBox NumberBox() const;
    void FillContactList();
    void FillNumberList() const;
    void ShowContactNumber() const;
    size_t GetSelectedIndex() const;
    const CContact* GetSelectedContact() const;
    const WString* GetSelectedGroup() const;
    bool ResolveSelected(std::vector<CSendRecipient>& recipients, std::string& strError);

    CWindow m_dlg;
    std::vector<CContact> m_lstContacts;
    std::vector<WString> m_aGroupItems;  // the groups in the contact list, after the contacts
    WString m_strNote;
};
