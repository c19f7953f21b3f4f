// The pure part of the port enumeration: which of the names that the system
// offers become entries of the port list, and how a port name becomes the
// path that opens it. Portable, so it is tested natively too.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/Text.h"

// The path that opens a port: the device namespace prefix \\.\ before the name
// without its trailing colons. Without the prefix, COM10 and above would be
// taken for file names. A name that already carries the prefix is kept.
WString GetDevicePath(const WString& strPort);

// Tells whether the port behind a device path is missing (only "file not
// found" counts as missing: a port that another program holds is kept).
typedef std::function<bool(const WString& strDevicePath)> PfnIsMissing;

// The port list, in order: the print spooler's ports as it lists them, then
// the serial devices the spooler did not list (USB and Bluetooth phones often
// appear only there), in the order of their numbers. A name counts only when
// it starts with "COM" in upper case; trailing colons are removed; missing
// ports and repeated names are left out. Names are converted with the ANSI
// code page.
std::vector<std::string> MakePortList(const std::vector<WString>& spoolerPorts,
                                      const std::vector<WString>& serialDevices,
                                      const PfnIsMissing& pfnIsMissing);
