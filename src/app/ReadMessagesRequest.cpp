#include "app/ReadMessagesRequest.h"

#include <string>

std::unique_ptr<CModemJob> CReadMessagesRequest::NextJob(CModemLink& link)
{
    CReadMessagesListener& listener = *this;
    return OnlyJob<CReadMessagesJob>(link, listener);
}

void CReadMessagesRequest::OnReading()
{
    Status(WSTR("Reading messages from phone..."));
}

void CReadMessagesRequest::OnRead()
{
    if (!m_listing.GetError().empty()) {
        Status(WSTR("Could not store the messages: ") + Utf8ToWide(m_listing.GetError()));
    } else {
        const size_t nNew = m_listing.GetNew();
        Status(AnsiToWide(std::to_string(nNew) + (nNew == 1 ? " new message" : " new messages")), true);
    }
    m_host.OnMessagesRead(m_listing.GetNew());
}

void CReadMessagesRequest::OnFailed(const CSmsException& error)
{
    Fail(error, "Failed to read messages", "Failed to read messages\n");
}
