#include "skinning/NumberCompletion.h"

namespace {

const unsigned kKeyBack = 0x08;    // VK_BACK
const unsigned kKeyDelete = 0x2E;  // VK_DELETE

} // namespace

bool CompletesAfterKey(unsigned nVirtualKey)
{
    return nVirtualKey != kKeyBack && nVirtualKey != kKeyDelete;
}

bool ShouldComplete(bool bAutoComplete, size_t nTypedLength)
{
    return bAutoComplete && nTypedLength > 0;
}

CCompletionStep PlanCompletion(CEditSel sel, size_t nTypedLength, bool bMatched)
{
    CCompletionStep step = {!bMatched, !bMatched && sel.IsKnown(), sel};
    const int nTyped = static_cast<int>(nTypedLength);
    if (!sel.IsKnown() || sel.nEnd >= nTyped)
        step.sel = CEditSel{nTyped, kSelToEnd};
    return step;
}
