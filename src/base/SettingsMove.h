// The values an earlier version kept in the machine-wide key, where every
// user of the machine could read them (it wrote there whenever it could: an
// elevated run, the console tool of a scheduler, Wine): the lists, the
// history, the contacts, the reports, the pending feedback. They are no
// longer read from there, since no one can tell whose they are; the user
// whose they are moves them into their own key on purpose
// (zandusms-cli settings move-from-machine).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/ListKey.h"
#include "base/Text.h"
#include "base/ValueEnum.h"

enum class EValueMove {
    MOVED,        // copied into the user's key as it was, then removed from the machine-wide one
    KEPT_USERS,   // the user's key holds a value of that name: neither key is changed
    NOT_REMOVED,  // copied, but the machine-wide key did not let it go (dwError): an administrator's to remove
    FAILED,       // the user's key refused it (dwError): nothing changed
};

struct CValueMove {
    WString strName;
    EValueMove eMove = EValueMove::MOVED;
    uint32_t dwError = 0;
};

// Every value of machineValues (the machine-wide key's, as read from it)
// that is not a machine-wide setting (IsMachineWideSetting), in its order:
// its type and bytes copied into the user's key where that holds no value of
// the name, then removed from the machine-wide key. The user's key is locked
// as for a change of a list, so that a window running meanwhile loses
// nothing. bDryRun: only what it would do (MOVED for a value it would move).
// kErrorSuccess, or why the lock could not be had (nothing done).
uint32_t MoveMachineValues(const std::vector<CEnumValue>& machineValues, CListKey& machine, CListKey& user,
                           bool bDryRun, std::vector<CValueMove>& moves);

// "NewHistory: moved", "Contacts: you have one of your own; the machine-wide
// one is left as it is", ...
std::string DescribeValueMove(const CValueMove& move, bool bDryRun);
