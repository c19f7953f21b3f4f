#include "cli/CommandTable.h"

#include <algorithm>
#include <cstring>

namespace {

const char* const kSectionTitles[] = {
    "Commands that talk to the phone (Windows build only):\n",
    "Other commands:\n",
    "The stored contacts, history and inbox (Windows build only, as the settings):\n",
};

bool Before(const CCliCommand* pA, const CCliCommand* pB)
{
    if (pA->eSection != pB->eSection)
        return pA->eSection < pB->eSection;
    return pA->nOrder < pB->nOrder;
}

} // namespace

// A function's own static: the rows of every file are added during static
// initialisation, in no order the language promises.
std::vector<const CCliCommand*>& CCliCommands::Rows()
{
    static std::vector<const CCliCommand*> rows;
    return rows;
}

CCliCommands::CCliCommands(const CCliCommand* pRows, size_t nRows)
{
    std::vector<const CCliCommand*>& rows = Rows();
    for (size_t i = 0; i < nRows; ++i)
        rows.insert(std::upper_bound(rows.begin(), rows.end(), &pRows[i], Before), &pRows[i]);
}

const CCliCommand* CCliCommands::Find(const std::vector<std::string>& words)
{
    const CCliCommand* pFound = nullptr;
    for (const CCliCommand* pRow : Rows()) {
        if (!pRow->pszName || words.empty() || words[0] != pRow->pszName)
            continue;
        if (!pRow->pszSubcommand)
            pFound = pFound ? pFound : pRow;
        else if (words.size() > 1 && words[1] == pRow->pszSubcommand)
            return pRow;
    }
    return pFound;
}

std::string CCliCommands::Help()
{
    std::string strHelp;
    const CCliCommand* pLast = nullptr;
    for (const CCliCommand* pRow : Rows()) {
        if (!pLast || pLast->eSection != pRow->eSection) {
            if (pLast)
                strHelp += "\n";
            strHelp += kSectionTitles[static_cast<size_t>(pRow->eSection)];
        }
        strHelp += pRow->pszHelp;
        pLast = pRow;
    }
    return strHelp;
}
