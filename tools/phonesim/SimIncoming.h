// The messages the simulated phone holds, read from a JSON file:
//
//   {"messages": [{"sender": "+4917012345", "time": "2024-05-17T14:03:09+02:00",
//                  "text": "Hello", "encoding": "gsm7", "reference": 7,
//                  "reference_bits": 8, "parts": [3, 1], "storage": "SM", "read": false}]}
//
// "sender", "time" and "text" are required; the rest as CIncomingPlan's
// defaults, the reference being the message's place in the file (1, 2, ...).
#pragma once

#include <string>
#include <vector>

#include "SimDeliver.h"

// False with the reason (which message, which field) for anything else,
// and for a message that cannot be encoded.
bool ParseIncoming(const std::string& strJson, std::vector<CIncomingPlan>& messages, std::string& strError);
bool LoadIncoming(const std::string& strPath, std::vector<CIncomingPlan>& messages, std::string& strError);
