#include "win/FileDialog.h"

#include <commdlg.h>

#include <vector>

namespace {

const DWORD kPathChars = 32768;  // the longest path Windows takes

OPENFILENAMEW Prepare(HWND hOwner, const wchar_t* pszTitle, const wchar_t* pszFilter, std::vector<wchar_t>& buffer)
{
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hOwner;
    ofn.lpstrFilter = pszFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrTitle = pszTitle;
    return ofn;
}

} // namespace

bool AskFileToOpen(HWND hOwner, const wchar_t* pszTitle, const wchar_t* pszFilter, WString& strPath)
{
    std::vector<wchar_t> buffer(kPathChars, L'\0');
    OPENFILENAMEW ofn = Prepare(hOwner, pszTitle, pszFilter, buffer);
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn))
        return false;
    strPath = buffer.data();
    return true;
}

bool AskFileToSave(HWND hOwner, const wchar_t* pszTitle, const wchar_t* pszFilter, const wchar_t* pszDefaultExt,
                   WString& strPath, DWORD& nFilter)
{
    std::vector<wchar_t> buffer(kPathChars, L'\0');
    strPath.copy(buffer.data(), buffer.size() - 1);
    OPENFILENAMEW ofn = Prepare(hOwner, pszTitle, pszFilter, buffer);
    ofn.lpstrDefExt = pszDefaultExt;
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn))
        return false;
    strPath = buffer.data();
    nFilter = ofn.nFilterIndex;
    return true;
}
