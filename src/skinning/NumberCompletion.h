// The decisions of the number box's auto-completion, free of Win32: whether
// a key leaves completion on, and what the box does once its text has
// changed and its list has been searched for the typed text.
#pragma once

#include <cstddef>

// The selection in the box's edit field; both -1 when it could not be read.
struct CEditSel {
    int nStart;
    int nEnd;

    bool IsKnown() const { return nStart != -1 && nEnd != -1; }
};

// nEnd of a selection that runs to the end of the text.
const int kSelToEnd = -1;

// Delete and Backspace switch completion off, so that deleting never brings
// the removed text back; any other key switches it on again.
bool CompletesAfterKey(unsigned nVirtualKey);

// Whether the list is searched for the typed text at all: only with
// completion on, and never for an empty text (every item begins with it).
bool ShouldComplete(bool bAutoComplete, size_t nTypedLength);

// What the box does after the search.
struct CCompletionStep {
    bool bPutTextBack;  // no item matched: the typed text is shown as typed...
    bool bRestoreSel;   // ...with the selection it had
    CEditSel sel;       // then this selection is set
};

// sel is the selection read when the text changed, nTypedLength the length
// of the typed text. A caret inside the text keeps its place (the user is
// editing); at the end, the completed remainder of the matching item is
// selected so that the next typed character replaces it.
CCompletionStep PlanCompletion(CEditSel sel, size_t nTypedLength, bool bMatched);
