"""Port enumeration under Wine: the print spooler's COM ports in its order,
then the serial devices it does not list; missing ports left out, ports in use
kept, other names dropped."""
import os
import unittest

import zandu
from zandu import BUILD, OP_ENUM_PORTS, Announcement, Phone, port_link, probe, remove_link

ERROR_FILE_NOT_FOUND = 2
SPOOLER_KEY = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Ports"


def reg(*args):
    # Through the build's Wine runner, so that the prefix is the tests' own.
    import subprocess
    subprocess.run([os.environ["ZANDU_WINE_RUN"], "reg", *args], capture_output=True, timeout=60, check=True)


@unittest.skipUnless(BUILD == "windows", "the enumeration runs under Wine")
class Enumeration(unittest.TestCase):
    def test_ports_offered(self):
        # Names the spooler may hold that are no ports for this program.
        reg("add", SPOOLER_KEY, "/v", "Com9:", "/d", "", "/f")
        try:
            remove_link("COM7")  # listed by the spooler, but gone
            remove_link("COM8")
            with Phone(port_link("COM5")), Phone(port_link("COM6"), "--busy"), Phone(port_link("COM12")):
                out = probe("spooler", "enum", "wait=1,20000", "ports",
                            *["direct=COM%d" % n for n in range(1, 13)])
        finally:
            reg("delete", SPOOLER_KEY, "/v", "Com9:", "/f")

        spooler = out[0][len("spooler="):].split(",")
        enum = [a for a in out if isinstance(a, Announcement)]
        self.assertEqual([(a.op, a.err) for a in enum], [(OP_ENUM_PORTS, 0)])
        ports = [line for line in out if isinstance(line, str) and line.startswith("ports=")][0]
        ports = ports[len("ports="):].split(",")
        direct = {"COM%d" % n: int(line.split("=")[1])
                  for n, line in zip(range(1, 13), [l for l in out if isinstance(l, str) and l.startswith("direct err=")])}

        self.assertIn("Com9:", spooler)
        for name in ("COM5", "COM6", "COM12"):
            self.assertIn(name, ports)
        self.assertNotEqual(direct["COM6"], 0)  # held: its probe fails, yet it is offered
        for name in ("COM7", "COM8", "Com9", "COM9", "LPT1", "FILE"):
            self.assertNotIn(name, ports)
        self.assertEqual(len(ports), len(set(ports)))

        # The spooler's upper-case COM ports that exist, in its order, come first...
        expected = [p.rstrip(":") for p in spooler
                    if p.startswith("COM") and direct.get(p.rstrip(":"), 0) != ERROR_FILE_NOT_FOUND]
        self.assertEqual(ports[:len(expected)], expected)
        # ...then the device map's, which the spooler does not list.
        self.assertNotIn("COM12:", spooler)
        self.assertEqual(ports[len(expected):], ["COM12"])


if __name__ == "__main__":
    zandu.main()
