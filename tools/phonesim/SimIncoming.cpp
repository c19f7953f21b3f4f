#include "SimIncoming.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace {

CIncomingPlan MessageFromJson(const nlohmann::json& json, size_t nIndex)
{
    CIncomingPlan plan;
    plan.strSender = json.at("sender").get<std::string>();
    if (!ParseSimTime(json.at("time").get<std::string>(), plan.time))
        throw std::runtime_error("\"time\" is not like 2024-05-17T14:03:09+02:00");
    plan.strText = json.at("text").get<std::string>();
    plan.strEncoding = json.value("encoding", plan.strEncoding);
    plan.nRef = json.value("reference", static_cast<unsigned>(nIndex + 1));
    const unsigned nBits = json.value("reference_bits", 8u);
    if (nBits != 8 && nBits != 16)
        throw std::runtime_error("\"reference_bits\" is 8 or 16");
    plan.b16BitRef = nBits == 16;
    if (plan.nRef > (plan.b16BitRef ? 0xFFFFu : 0xFFu))
        throw std::runtime_error("\"reference\" does not fit its bits");
    plan.parts = json.value("parts", plan.parts);
    plan.strStorage = json.value("storage", plan.strStorage);
    plan.bRead = json.value("read", plan.bRead);
    std::vector<std::string> pdus;
    std::string strError;
    if (!EncodeIncoming(plan, pdus, strError))
        throw std::runtime_error(strError);
    return plan;
}

} // namespace

bool ParseIncoming(const std::string& strJson, std::vector<CIncomingPlan>& messages, std::string& strError)
{
    messages.clear();
    size_t nIndex = 0;
    try {
        const nlohmann::json json = nlohmann::json::parse(strJson);
        for (const nlohmann::json& jsonMsg : json.at("messages")) {
            messages.push_back(MessageFromJson(jsonMsg, nIndex));
            ++nIndex;
        }
    } catch (const std::exception& e) {
        strError = "message " + std::to_string(nIndex + 1) + ": " + e.what();
        messages.clear();
        return false;
    }
    return true;
}

bool LoadIncoming(const std::string& strPath, std::vector<CIncomingPlan>& messages, std::string& strError)
{
    std::ifstream file(strPath, std::ios::binary);
    if (!file) {
        strError = "cannot open " + strPath;
        return false;
    }
    const std::string strJson((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!ParseIncoming(strJson, messages, strError)) {
        strError = strPath + ": " + strError;
        return false;
    }
    return true;
}
