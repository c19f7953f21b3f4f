// What the two contact file targets check on every file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "app/ContactImport.h"

inline bool IsWholeText(const WString& str)
{
    return Utf8ToWide(WideToUtf8(str)) == str;
}

inline void FuzzContactFile(const std::string& strBytes)
{
    CContactFile file;
    std::string strError;
    if (!ReadContactFile(strBytes, file, strError)) {
        Check(!strError.empty() && file.rows.empty());
        return;
    }
    Check(!file.rows.empty());
    for (const CContactRow& row : file.rows)
        Check(row.nLine >= 1 && row.nLine <= strBytes.size() + 1);
    const CImportPlan plan = PlanImport({}, file);
    Check(plan.nRows == file.rows.size() && plan.nNew + plan.nUpdated + plan.nUnchanged + plan.nRefused == plan.nRows);
    Check(plan.aRefusals.size() == plan.nRefused && plan.contacts.size() == plan.nNew);
    bool bWhole = true;
    for (const CContact& contact : plan.contacts) {
        Check(CheckContact(contact, strError) && contact.m_bOwn);
        bWhole = bWhole && IsWholeText(contact.m_strName);
        for (const WString& strGroup : contact.m_aGroups)
            bWhole = bWhole && IsWholeText(strGroup);
    }
    if (!bWhole || plan.contacts.empty())
        return;  // a lone surrogate has no UTF-8 form to export
    for (bool bVcard : {false, true}) {
        CContactFile again;
        Check(ReadContactFile(FormatContactsFile(plan.contacts, WString(), bVcard, bVcard ? ',' : ';'), again, strError));
        const CImportPlan back = PlanImport({}, again);
        Check(back.nRefused == 0 && back.contacts.size() == plan.contacts.size());
        Check(PlanImport(plan.contacts, again).nUnchanged == plan.contacts.size());
        for (const CContact& contact : back.contacts) {
            const CContact* pBefore = FindContact(plan.contacts, contact.m_strName);
            Check(pBefore && pBefore->m_strName == contact.m_strName && pBefore->m_strNumber == contact.m_strNumber &&
                  pBefore->m_aGroups == contact.m_aGroups);
        }
    }
}
