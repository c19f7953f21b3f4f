// The base of the History, the Inbox and the Contacts: a modal skinned
// dialog of a virtual list and, beside it, the selected row's fields. The
// list asks for the text of the rows it shows, so a dialog of ten rows opens
// as fast as one of ten thousand; Enter and Esc close it. A search box above
// the list narrows the rows as one types; Export... writes them to a file.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "base/Text.h"
#include "skinning/SkinnedDlg.h"
#include "win/Controls.h"

class CListDetailDlg : public CSkinnedDlg {
public:
    template <size_t N>
    CListDetailDlg(UINT nTemplate, SkinBitmapIndex nBitmap, const CControlItem (&aControls)[N], int nListId,
                   int nSearchId)
        : CSkinnedDlg(nTemplate, nBitmap, aControls), m_nListId(nListId), m_nSearchId(nSearchId)
    {
    }

protected:
    // The text of a cell the list shows.
    virtual void OnGetDispInfo(NMLVDISPINFOW& info) const = 0;
    // The selected row's fields; no selection leaves them empty.
    virtual void ShowSelected() = 0;
    // The rows that hold the search box's text, shown (see ShowRows); called
    // as one types.
    virtual void Search() = 0;
    WString GetSearchText() const;

    CListView List() const;
    static void CopyCell(const WString& strText, NMLVDISPINFOW& info);
    // The list now has nRows rows (after a search): the first is selected
    // and shown, or the fields are emptied.
    void ShowRows(size_t nRows);
    // Asks where to save (strPath offers a name); false when cancelled.
    bool AskExportPath(const wchar_t* pszFilter, const wchar_t* pszExt, WString& strPath, DWORD& nFilter) const;
    // The same for a CSV file only.
    bool AskCsvPath(WString& strPath) const;
    // The rows shown (newest first), oldest first as a spreadsheet reads them.
    template <class TRow, class FnGet>
    static std::vector<TRow> OldestFirst(const std::vector<size_t>& aRows, FnGet fnGet)
    {
        std::vector<TRow> rows;
        rows.reserve(aRows.size());
        for (size_t i = aRows.size(); i-- > 0;)
            rows.push_back(fnGet(aRows[i]));
        return rows;
    }
    // Writes the file whole; the status text: "3 messages exported to
    // C:\x.csv", or why it could not be written.
    static WString WriteExport(const WString& strPath, const std::string& strData, size_t nCount,
                               const wchar_t* pszWhat);

    bool OnCommand(int nId, int nCode) override;
    bool OnNotify(NMHDR& hdr) override;

private:
    int m_nListId;
    int m_nSearchId;
};
