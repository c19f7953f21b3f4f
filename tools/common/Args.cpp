#include "common/Args.h"

namespace {

std::string Spelled(const char* pszName)
{
    return pszName[0] == '-' ? std::string(pszName) : std::string("--") + pszName;
}

} // namespace

CArgs::CArgs(const std::vector<std::string>& args)
{
    size_t i = 0;
    for (; i < args.size() && args[i] != "--"; ++i)
        m_args.push_back(args[i]);
    if (i < args.size())
        m_rest.assign(args.begin() + i + 1, args.end());
}

bool CArgs::Flag(const char* pszName)
{
    const std::string strFlag = Spelled(pszName);
    for (size_t i = 0; i < m_args.size(); ++i) {
        if (m_args[i] == strFlag) {
            m_args.erase(m_args.begin() + i);
            return true;
        }
    }
    return false;
}

bool CArgs::Option(const char* pszName, std::string& strValue)
{
    const std::string strOption = Spelled(pszName);
    for (size_t i = 0; i < m_args.size(); ++i) {
        if (m_args[i].compare(0, strOption.size() + 1, strOption + "=") == 0) {
            strValue = m_args[i].substr(strOption.size() + 1);
            m_args.erase(m_args.begin() + i);
            return true;
        }
        if (m_args[i] == strOption) {
            if (i + 1 >= m_args.size()) {
                m_strBadOption = strOption + " needs a value";
                m_args.erase(m_args.begin() + i);
                return false;
            }
            strValue = m_args[i + 1];
            m_args.erase(m_args.begin() + i, m_args.begin() + i + 2);
            return true;
        }
    }
    return false;
}

bool CArgs::Next(std::string& strArg) const
{
    if (m_args.empty())
        return false;
    strArg = m_args.front();
    return true;
}

bool CArgs::Positionals(std::vector<std::string>& positionals, std::string& strError)
{
    if (!m_strBadOption.empty()) {
        strError = m_strBadOption;
        return false;
    }
    positionals.clear();
    for (const std::string& strArg : m_args) {
        if (strArg.size() > 1 && strArg[0] == '-') {
            strError = "unknown option " + strArg;
            return false;
        }
        positionals.push_back(strArg);
    }
    positionals.insert(positionals.end(), m_rest.begin(), m_rest.end());
    return true;
}
