#include "ui/PortBox.h"

#include "base/AppSettings.h"

// The box sorts what is added: each port goes in at its place.
void CPortBox::Fill(const std::vector<std::string>& aPorts) const
{
    for (size_t i = 0; i < aPorts.size(); ++i)
        InsertString(static_cast<int>(i), AnsiToWide(aPorts[i]));
    // Exactly the port stored (in any case), lest "COM1" select COM12.
    const WString strPort = CAppSettings().Read(ETextSetting::PORT);
    const int nFound = strPort.empty() ? CB_ERR : FindStringExact(strPort);
    SetCurSel(nFound == CB_ERR ? 0 : nFound);
}

void CPortBox::StoreSelection() const
{
    CAppSettings().Write(ETextSetting::PORT, GetWindowText());
}

WString CPortBox::GetPortFor(const wchar_t* pszMissing) const
{
    const WString strPort = GetWindowText();
    if (strPort.empty())
        ::MessageBoxW(GetParent(), (WString(pszMissing) +
                                    L"\r\nIf none are listed, you must enable one in your mobile phone software.")
                                       .c_str(),
                      L"Error", MB_ICONERROR);
    return strPort;
}
