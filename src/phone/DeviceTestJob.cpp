#include "phone/DeviceTestJob.h"

#include "base/Text.h"
#include "phone/PhoneReply.h"

namespace {

const char* const kQuestions[] = {"AT+CGMI", "AT+CGMM", "AT+CPIN?", "AT+CSQ", "AT+CREG?", "AT+CSCA?"};
const size_t kQuestionCount = sizeof(kQuestions) / sizeof(kQuestions[0]);

} // namespace

void CDeviceTestJob::Start()
{
    m_info = CDeviceInfo();
    m_nQuestion = 0;
    Ask();
}

void CDeviceTestJob::Ask()
{
    m_lines.clear();
    m_link.Command(kQuestions[m_nQuestion]);
}

void CDeviceTestJob::OnLine(const std::string& strLine)
{
    const EFinalResult result = GetFinalResult(strLine);
    if (result == EFinalResult::FINAL_NONE) {
        m_lines.push_back(strLine);
        return;
    }
    if (m_nQuestion == 0) {  // the maker, without which there is no answer
        const std::string strMaker = GetModelText(m_lines);
        if (result == EFinalResult::FINAL_ERROR)
            throw CSmsException("OK", strLine);
        if (strMaker.empty())
            throw CSmsException("the maker's name", strLine);
        m_info.strMaker = strMaker;
    } else if (result == EFinalResult::FINAL_OK) {
        for (const std::string& strInfo : m_lines)
            Take(strInfo);
    } else if (m_nQuestion == 2) {
        m_info.strSim = SimStateOfError(strLine);
    }
    Next();
}

void CDeviceTestJob::Take(const std::string& strLine)
{
    switch (m_nQuestion) {
    case 1:
        m_info.strModel = TrimWhite(strLine.compare(0, 6, "+CGMM:") == 0 ? strLine.substr(6) : strLine);
        break;
    case 2: ParseSimState(strLine, m_info.strSim); break;
    case 3: ParseSignal(strLine, m_info.nSignal); break;
    case 4: ParseRegistration(strLine, m_info.strNetwork); break;
    default: m_info.bScaKnown = ParseServiceCentre(strLine, m_info.strSca); break;
    }
}

void CDeviceTestJob::Next()
{
    if (++m_nQuestion < kQuestionCount) {
        Ask();
        return;
    }
    m_link.Done();
    m_listener.OnTested(m_info);
}
