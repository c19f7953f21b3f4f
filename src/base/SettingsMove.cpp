#include "base/SettingsMove.h"

#include "base/ErrorCodes.h"
#include "base/SettingsTable.h"

namespace {

const uint32_t kLockTimeoutMs = 5000;  // as a change of a list waits

bool UserHas(CListKey& user, const WString& strName)
{
    uint32_t dwType = 0, cbData = 0;
    return user.QueryValue(strName, dwType, nullptr, cbData) == kErrorSuccess;
}

CValueMove MoveOne(const CEnumValue& value, CListKey& machine, CListKey& user, bool bDryRun)
{
    CValueMove move;
    move.strName = value.strName;
    if (UserHas(user, value.strName)) {
        move.eMove = EValueMove::KEPT_USERS;
    } else if (std::vector<uint8_t> data = value.data;
               !bDryRun && (move.dwError = user.SetValue(value.strName, value.dwType, data)) != kErrorSuccess) {
        move.eMove = EValueMove::FAILED;
    } else if (!bDryRun && (move.dwError = machine.DeleteValue(value.strName)) != kErrorSuccess) {
        move.eMove = EValueMove::NOT_REMOVED;
    }
    return move;
}

} // namespace

uint32_t MoveMachineValues(const std::vector<CEnumValue>& machineValues, CListKey& machine, CListKey& user,
                           bool bDryRun, std::vector<CValueMove>& moves)
{
    moves.clear();
    const uint32_t dwLock = user.Lock(kLockTimeoutMs);
    if (dwLock != kErrorSuccess)
        return dwLock;
    for (const CEnumValue& value : machineValues) {
        if (!IsMachineWideSetting(value.strName))
            moves.push_back(MoveOne(value, machine, user, bDryRun));
    }
    user.Unlock();
    return kErrorSuccess;
}

std::string DescribeValueMove(const CValueMove& move, bool bDryRun)
{
    const std::string strName = WideToUtf8(move.strName) + ": ";
    switch (move.eMove) {
    case EValueMove::MOVED:
        return strName + (bDryRun ? "would be moved" : "moved");
    case EValueMove::KEPT_USERS:
        return strName + "you have one of your own; the machine-wide one is left as it is";
    case EValueMove::NOT_REMOVED:
        return strName + "copied, but not removed from the machine-wide key (error " + std::to_string(move.dwError) +
               "): an administrator can remove it";
    default:
        return strName + "not moved: your key refused it (error " + std::to_string(move.dwError) + ")";
    }
}
