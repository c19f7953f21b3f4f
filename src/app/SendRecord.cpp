#include "app/SendRecord.h"

#include <string>

size_t CSendRecord::Count(ESendState eState) const
{
    size_t n = 0;
    for (const CSendRecipient& recipient : recipients)
        n += recipient.eState == eState;
    return n;
}

std::vector<CSendRecipient> CSendRecord::GetLeft() const
{
    std::vector<CSendRecipient> left;
    for (const CSendRecipient& recipient : recipients) {
        if (recipient.IsLeft())
            left.push_back(recipient);
    }
    return left;
}

WString CSendRecord::DescribeProgress() const
{
    if (recipients.size() < 2)
        return WString();
    return AnsiToWide("; sent to " + std::to_string(Count(ESendState::SENT)) + " of " +
                      std::to_string(recipients.size()));
}

WString JoinTyped(const std::vector<CSendRecipient>& list)
{
    WString str;
    for (const CSendRecipient& recipient : list)
        str += (str.empty() ? WString() : WString(WSTR("; "))) + recipient.strTyped;
    return str;
}
