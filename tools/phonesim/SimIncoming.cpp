#include "SimIncoming.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace {

CIncomingSpec MessageFromJson(const nlohmann::json& json, size_t nIndex)
{
    CIncomingSpec spec;
    spec.strSender = json.at("sender").get<std::string>();
    if (!ParseSimTime(json.at("time").get<std::string>(), spec.time))
        throw std::runtime_error("\"time\" is not like 2024-05-17T14:03:09+02:00");
    spec.strText = json.at("text").get<std::string>();
    spec.strEncoding = json.value("encoding", spec.strEncoding);
    spec.nRef = json.value("reference", static_cast<unsigned>(nIndex + 1));
    const unsigned nBits = json.value("reference_bits", 8u);
    if (nBits != 8 && nBits != 16)
        throw std::runtime_error("\"reference_bits\" is 8 or 16");
    spec.b16BitRef = nBits == 16;
    if (spec.nRef > (spec.b16BitRef ? 0xFFFFu : 0xFFu))
        throw std::runtime_error("\"reference\" does not fit its bits");
    spec.parts = json.value("parts", spec.parts);
    spec.strStorage = json.value("storage", spec.strStorage);
    spec.bRead = json.value("read", spec.bRead);
    std::vector<std::string> pdus;
    std::string strError;
    if (!EncodeIncoming(spec, pdus, strError))
        throw std::runtime_error(strError);
    return spec;
}

} // namespace

bool ParseIncoming(const std::string& strJson, std::vector<CIncomingSpec>& messages, std::string& strError)
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

bool LoadIncoming(const std::string& strPath, std::vector<CIncomingSpec>& messages, std::string& strError)
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
