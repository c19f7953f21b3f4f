// The Contacts window: the contact list sorted by name, with name, number
// and whether it came from the phone; the search box keeps the contacts
// whose name, number or groups hold what it says (case and Latin accents
// ignored), the group box those of one group, which is also what Export...
// writes. Beside the list the selected contact's name, number and groups
// (separated by ';') can be edited and saved, or a new one added, or it can
// be deleted; a contact saved is the user's own, which a phone-book download
// leaves alone. Import... reads a CSV or vCard file on a worker thread, with
// a progress bar and the button turned Cancel, and says what it would do
// before anything is stored; the window answers all the while. Every change
// is stored at once (the list is read again first, so the console tool's
// changes are kept). Modal, skinned with contacts.bmp.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "app/Contact.h"
#include "ui/ImportWorker.h"
#include "ui/ListDetailDlg.h"

class CContactsDlg : public CListDetailDlg {
public:
    CContactsDlg();

private:
    void OnInitDialog() override;
    void OnDestroy() override;
    bool OnClicked(int nId) override;
    bool OnCommand(int nId, int nCode) override;
    bool OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;
    void OnGetDispInfo(NMLVDISPINFOW& info) const override;
    void ShowSelected() override;

    // Reads the stored list, fills the group box and shows the rows with
    // the contact of that name selected (the first row when none is).
    void Reload(const WString& strSelect);
    void FillGroups();
    void Search() override { Search(WString()); }
    void Search(const WString& strSelect);
    const CContact* ContactOfRow(int nRow) const;
    bool IsInFields() const;
    WString GetGroupShown() const;
    void OnNew();
    void OnSave();
    void OnDelete();
    void OnImport();
    // The worker's result: what the file would do, asked before it is stored.
    void OnImportDone(const CImportResult& result);
    void ShowImporting(bool bImporting);
    void OnExport();
    bool Store(const std::vector<CContact>& contacts);
    void ShowStatus(const WString& strText);

    std::vector<CContact> m_contacts;  // as stored
    std::vector<size_t> m_aRows;       // the contacts shown, by name
    // The contact the fields show, by its name and number (the list is read
    // again before each change); none for a new one.
    bool m_bEditing = false;
    WString m_strEditingName, m_strEditingNumber;
    CUiQueue m_ui;                             // the import's progress and result
    std::unique_ptr<CImportWorker> m_pImport;  // while an import's file is read
    WString m_strImportPath;
    bool m_bImportCancelled = false;
};
