// Which names the enumeration offers, in which order, and the paths it opens.
#include <gtest/gtest.h>

#include <set>

#include "serial/PortList.h"

namespace {

std::vector<WString> Names(std::initializer_list<const char*> names)
{
    std::vector<WString> out;
    for (const char* psz : names)
        out.push_back(Utf8ToWide(psz));
    return out;
}

// A machine whose missing ports are given; records every path probed.
struct CMachine {
    std::set<std::string> missing;
    std::vector<std::string> probed;
    PfnIsMissing Probe()
    {
        return [this](const WString& strPath) {
            const std::string strNarrow = WideToUtf8(strPath);
            probed.push_back(strNarrow);
            return missing.count(strNarrow) != 0;
        };
    }
};

typedef std::vector<std::string> Ports;

TEST(PortList, SpoolerPortsInOrderWithoutColonsAndOthers)
{
    CMachine machine;
    const Ports ports = MakePortList(Names({"LPT1:", "COM4:", "COM1:", "FILE:", "COM3:"}), {}, machine.Probe());
    EXPECT_EQ(ports, (Ports{"COM4", "COM1", "COM3"}));
    EXPECT_EQ(machine.probed, (Ports{"\\\\.\\COM4", "\\\\.\\COM1", "\\\\.\\COM3"}));
}

TEST(PortList, MissingPortsAreLeftOutOthersKept)
{
    CMachine machine;
    machine.missing = {"\\\\.\\COM7"};
    // A port that another program holds fails its probe with another error:
    // only "missing" counts, so every other port stays.
    EXPECT_EQ(MakePortList(Names({"COM1:", "COM7:", "COM3:"}), {}, machine.Probe()),
              (Ports{"COM1", "COM3"}));
}

TEST(PortList, OnlyUpperCaseComNames)
{
    CMachine machine;
    EXPECT_EQ(MakePortList(Names({"Com2:", "com3:", "CO", "", "xCOM4:", "COMX:", "COM5:"}), {}, machine.Probe()),
              (Ports{"COMX", "COM5"}));
}

TEST(PortList, TheBareNameComIsDecidedByTheProbe)
{
    CMachine machine;
    EXPECT_EQ(MakePortList(Names({"COM"}), {}, machine.Probe()), (Ports{"COM"}));
    machine.missing = {"\\\\.\\COM"};
    EXPECT_EQ(MakePortList(Names({"COM"}), {}, machine.Probe()), Ports{});
}

TEST(PortList, EveryTrailingColonIsRemoved)
{
    CMachine machine;
    EXPECT_EQ(MakePortList(Names({"COM1::", "COM2:::"}), {}, machine.Probe()), (Ports{"COM1", "COM2"}));
    EXPECT_EQ(machine.probed, (Ports{"\\\\.\\COM1", "\\\\.\\COM2"}));
}

TEST(PortList, SerialDevicesTheSpoolerMissedFollowInNumberOrder)
{
    CMachine machine;
    machine.missing = {"\\\\.\\COM9"};
    const Ports ports = MakePortList(Names({"COM3:", "COM1:"}),
                                     Names({"COM12", "COM1", "COM4", "COM9", "COM3", "com5", "COM10"}),
                                     machine.Probe());
    EXPECT_EQ(ports, (Ports{"COM3", "COM1", "COM4", "COM10", "COM12"}));
}

TEST(PortList, NoDuplicates)
{
    CMachine machine;
    EXPECT_EQ(MakePortList(Names({"COM1:", "COM1", "COM2:"}), Names({"COM2", "COM2", "COM6", "COM6"}),
                           machine.Probe()),
              (Ports{"COM1", "COM2", "COM6"}));
    // A kept name is not probed again.
    EXPECT_EQ(machine.probed, (Ports{"\\\\.\\COM1", "\\\\.\\COM2", "\\\\.\\COM6"}));
}

TEST(PortList, NothingOffered)
{
    CMachine machine;
    EXPECT_TRUE(MakePortList({}, {}, machine.Probe()).empty());
    EXPECT_TRUE(machine.probed.empty());
}

TEST(PortList, DevicePath)
{
    EXPECT_EQ(WideToUtf8(GetDevicePath(WSTR("COM3"))), "\\\\.\\COM3");
    EXPECT_EQ(WideToUtf8(GetDevicePath(WSTR("COM12"))), "\\\\.\\COM12");
    EXPECT_EQ(WideToUtf8(GetDevicePath(WSTR("COM4:"))), "\\\\.\\COM4");
    EXPECT_EQ(WideToUtf8(GetDevicePath(WSTR("\\\\.\\COM5"))), "\\\\.\\COM5");
}

} // namespace
