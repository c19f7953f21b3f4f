// The base of the History and the Inbox: a modal skinned dialog of a virtual
// list and, beside it, the selected row's fields. The list asks for the text
// of the rows it shows, so a dialog of ten rows opens as fast as one of ten
// thousand; Enter and Esc close it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "base/Text.h"
#include "skinning/SkinnedDlg.h"
#include "win/Controls.h"

class CListDetailDlg : public CSkinnedDlg {
public:
    template <size_t N>
    CListDetailDlg(UINT nTemplate, SkinBitmapIndex nBitmap, const CControlItem (&aControls)[N], int nListId)
        : CSkinnedDlg(nTemplate, nBitmap, aControls), m_nListId(nListId)
    {
    }

protected:
    // The text of a cell the list shows.
    virtual void OnGetDispInfo(NMLVDISPINFOW& info) const = 0;
    // The selected row's fields; no selection leaves them empty.
    virtual void ShowSelected() = 0;

    CListView List() const;
    static void CopyCell(const WString& strText, NMLVDISPINFOW& info);

    bool OnCommand(int nId, int nCode) override;
    bool OnNotify(NMHDR& hdr) override;

private:
    int m_nListId;
};
