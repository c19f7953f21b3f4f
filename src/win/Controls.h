// One-line wrappers of the standard controls' messages, on a window handle.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "win/Window.h"

class CComboBox : public CWindow {
public:
    explicit CComboBox(HWND hWnd = nullptr) : CWindow(hWnd) {}

    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int nIndex) const { return static_cast<int>(SendMessage(CB_SETCURSEL, nIndex)); }
    int AddString(const WString& str) const { return Insert(CB_ADDSTRING, 0, str); }
    int InsertString(int nIndex, const WString& str) const { return Insert(CB_INSERTSTRING, nIndex, str); }
    // The first item from the top that begins with str, in any case; CB_ERR when none.
    int SelectString(const WString& str) const
    {
        return static_cast<int>(SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(str.c_str())));
    }
    // The first item from the top whose whole text is str, in any case; CB_ERR when none.
    int FindStringExact(const WString& str) const
    {
        return static_cast<int>(SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(str.c_str())));
    }
    void ResetContent() const { SendMessage(CB_RESETCONTENT); }
    LRESULT GetItemData(int nIndex) const { return SendMessage(CB_GETITEMDATA, nIndex); }
    int SetItemData(int nIndex, LRESULT lData) const
    {
        return static_cast<int>(SendMessage(CB_SETITEMDATA, nIndex, lData));
    }
    bool GetDroppedState() const { return SendMessage(CB_GETDROPPEDSTATE) != 0; }

private:
    int Insert(UINT uMsg, int nIndex, const WString& str) const
    {
        return static_cast<int>(SendMessage(uMsg, nIndex, reinterpret_cast<LPARAM>(str.c_str())));
    }
};

class CButton : public CWindow {
public:
    explicit CButton(HWND hWnd = nullptr) : CWindow(hWnd) {}

    bool IsChecked() const { return SendMessage(BM_GETCHECK) == BST_CHECKED; }
    void SetCheck(bool bChecked) const { SendMessage(BM_SETCHECK, bChecked ? BST_CHECKED : BST_UNCHECKED); }
};

class CListView : public CWindow {
public:
    explicit CListView(HWND hWnd = nullptr) : CWindow(hWnd) {}

    int InsertColumn(int nColumn, const wchar_t* pszText, int nWidth) const
    {
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(pszText);
        column.cx = nWidth;
        column.iSubItem = nColumn;
        return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, nColumn, reinterpret_cast<LPARAM>(&column)));
    }
    // Width of a text in the list's font, in pixels.
    int GetStringWidth(const WString& str) const
    {
        return static_cast<int>(SendMessage(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(str.c_str())));
    }
    void SetItemCount(int nCount) const { SendMessage(LVM_SETITEMCOUNT, nCount, LVSICF_NOINVALIDATEALL); }
    int GetNextSelected() const { return static_cast<int>(SendMessage(LVM_GETNEXTITEM, -1, LVNI_SELECTED)); }
    // Selects and focuses a row; LVN_ITEMCHANGED follows.
    void SelectItem(int nItem) const
    {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessage(LVM_SETITEMSTATE, nItem, reinterpret_cast<LPARAM>(&item));
    }
    void SetExtendedStyle(DWORD dwStyle) const { SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, dwStyle, dwStyle); }
    void SetColors(COLORREF crText, COLORREF crBack) const
    {
        SendMessage(LVM_SETTEXTCOLOR, 0, crText);
        SendMessage(LVM_SETTEXTBKCOLOR, 0, crBack);
        SendMessage(LVM_SETBKCOLOR, 0, crBack);
    }
};
