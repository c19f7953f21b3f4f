// The main window's port list: the ports found, in the order of their
// enumeration, with the one last selected selected again; the port a request
// goes to.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/Text.h"
#include "win/Controls.h"

class CPortBox : public CComboBox {
public:
    explicit CPortBox(HWND hWnd) : CComboBox(hWnd) {}

    void Fill(const std::vector<std::string>& aPorts) const;
    bool HasPorts() const { return GetCount() > 0; }
    // The user's choice, kept for the next start.
    void StoreSelection() const;
    // The port selected; empty when there is none, after telling the user
    // pszMissing and how to get one.
    WString GetPortFor(const wchar_t* pszMissing) const;
};
