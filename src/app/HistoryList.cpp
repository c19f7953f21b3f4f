#include "app/HistoryList.h"

CHistoryList::CHistoryList(std::shared_ptr<const std::vector<uint8_t>> pData) : m_pData(std::move(pData))
{
    ForEachMultiSz(m_pData->data(), m_pData->size(), [this](const CMultiSzSpan& span) {
        m_aElements.push_back({static_cast<uint32_t>(span.nStart), static_cast<uint32_t>(span.nLength)});
    });
    m_aElements.resize(m_aElements.size() - m_aElements.size() % kHistoryRecordElements);
}

CHistoryRecord CHistoryList::Get(size_t nRecord) const
{
    std::vector<WString> aElements;
    for (size_t i = 0; i < kHistoryRecordElements; ++i) {
        const CElement& element = m_aElements[nRecord * kHistoryRecordElements + i];
        aElements.push_back(DecodeMultiSzSpan(m_pData->data(), {element.nStart, element.nLength}));
    }
    return HistoryFromList(aElements).front();
}

std::vector<CHistoryRecord> CHistoryList::GetAll() const
{
    std::vector<CHistoryRecord> records;
    records.reserve(GetCount());
    for (size_t i = 0; i < GetCount(); ++i)
        records.push_back(Get(i));
    return records;
}
