#include "skinning/SkinnedDlg.h"

#include "skinning/NumberComboBox.h"
#include "skinning/SkinnedButton.h"
#include "skinning/SkinnedComboBox.h"
#include "skinning/SkinnedEdit.h"
#include "skinning/SkinnedListView.h"
#include "skinning/SkinnedRadioButton.h"
#include "skinning/StaticEx.h"
#include "win/Reflect.h"

namespace {

std::unique_ptr<CSkinnedControl> MakeControl(const CControlItem& item)
{
    switch (item.eKind) {
    case EControlKind::Static: return std::make_unique<CStaticEx>();
    case EControlKind::Button: return std::make_unique<CSkinnedButton>(item.pszFace);
    case EControlKind::Edit: return std::make_unique<CSkinnedEdit>();
    case EControlKind::ComboBox: return std::make_unique<CSkinnedComboBox>();
    case EControlKind::NumberBox: return std::make_unique<CNumberComboBox>();
    case EControlKind::RadioButton: return std::make_unique<CSkinnedRadioButton>();
    case EControlKind::CheckBox: return std::make_unique<CSkinnedRadioButton>(CSkinnedRadioButton::EMode::CheckBox);
    case EControlKind::ListView: return std::make_unique<CSkinnedListView>();
    }
    return nullptr;
}

} // namespace

bool CSkinnedDlg::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (m_skin.ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))
        return true;
    switch (uMsg) {
    case WM_INITDIALOG:
        AttachControls();
        break;
    case WM_ERASEBKGND:  // the skin painted in WM_PAINT is the whole background
        lResult = 0;
        return true;
    default:
        break;
    }
    if (CDialog::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))
        return true;
    return ReflectNotification(hWnd, uMsg, wParam, lParam, lResult);
}

void CSkinnedDlg::AttachControls()
{
    for (size_t i = 0; i < m_nControls; ++i) {
        std::unique_ptr<CSkinnedControl> pControl = MakeControl(m_pControls[i]);
        if (pControl && pControl->Attach(GetDlgItem(m_pControls[i].nId), m_nBitmap))
            m_controls.push_back(std::move(pControl));
    }
}
