"""The release under Wine, in a prefix of its own (scripts/release.sh --test):
the installer, silent, per user and per machine; the installed program with
the simulated phone and the console tool of the install folder; the silent
uninstaller, which removes every installed file, the shortcut and the
uninstall entry and keeps the user's settings unless told to remove them; and
the portable zip, unpacked in another folder, running the same way."""
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "system"))
import zandu  # noqa: E402
from zandu import VERSION, Phone, Program, decode_submit, lines, port_link, wine_run  # noqa: E402

INSTALLER, ZIP = os.environ["ZANDU_INSTALLER"], os.environ["ZANDU_ZIP"]
PORT, TEST_PORT = 1004, 1015
UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\ZanduSMS"
SETTINGS_KEY = r"Software\Zandu SMS"
SHORTCUT = r"Microsoft\Windows\Start Menu\Programs\Zandu SMS.lnk"
TEXT = "Installed and sending"


def unix_path(windows_path):
    proc = wine_run("winepath.exe", "-u", windows_path)
    return proc.stdout.strip()


def shell_folder(variable):
    """A folder of the prefix's environment (APPDATA, ProgramData, ...) as a Unix path."""
    return unix_path(wine_run("cmd.exe", "/c", "echo %" + variable + "%").stdout.strip())


def files_in(folder):
    """The files below a folder, as relative paths with forward slashes."""
    return {os.path.relpath(os.path.join(root, name), folder).replace(os.sep, "/")
            for root, _, names in os.walk(folder) for name in names}


def reg_values(key):
    """The values of a key as {name: str or int}; None when the key does not exist."""
    text = zandu.settings_export(key)
    if text is None:
        return None
    values = {}
    for row in text.replace("\r\n", "\n").split("\n"):
        if row.startswith('"') and '"=' in row:
            name, data = row[1:].split('"=', 1)
            if data.startswith("dword:"):
                values[name] = int(data[6:], 16)
            else:
                values[name] = data[1:-1].replace("\\\\", "\\").replace('\\"', '"')
    return values


def release_files():
    """What the zip carries, relative to its one top folder."""
    with zipfile.ZipFile(ZIP) as z:
        names = [n for n in z.namelist() if not n.endswith("/")]
    top = "ZanduSMS-%s/" % VERSION
    assert all(n.startswith(top) for n in names), names
    return {n[len(top):] for n in names}


class Release(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        cls.appdata = shell_folder("APPDATA")
        cls.files = release_files()

    def setUp(self):
        # What a user had before: the program's settings in both keys (the
        # phone's port picked, no update check: this prefix has no server)
        # and its data folder.
        for root in ("HKLM", "HKCU"):
            zandu.settings_set_string("Port", "COM5", key=root + "\\" + SETTINGS_KEY)
            zandu.settings_set_dword("AllowCheck", 0, key=root + "\\" + SETTINGS_KEY)
        self.data = os.path.join(self.appdata, "Zandu SMS")
        os.makedirs(self.data, exist_ok=True)
        with open(os.path.join(self.data, "inbox.json"), "w") as f:
            f.write("[]")

    def tearDown(self):
        # An installation a failed test left would fail the next ones too.
        for root in ("HKCU", "HKLM"):
            entry = reg_values(root + "\\" + UNINSTALL_KEY)
            if entry:
                self.uninstall(root, entry, unix_path(entry["InstallLocation"]))

    def settings(self):
        return [reg_values(root + "\\" + SETTINGS_KEY) for root in ("HKLM", "HKCU")]

    def install(self, *options):
        before = self.settings()
        proc = wine_run(INSTALLER, "/S", *options, timeout=180)
        self.assertEqual(proc.returncode, 0, proc.stdout + proc.stderr)
        self.assertEqual(self.settings(), before, "the installer touched the settings")

    def check_installed(self, folder, root, start_menu):
        self.assertEqual(files_in(folder), self.files | {"Uninstall.exe"})
        self.assertTrue(os.path.isfile(os.path.join(start_menu, *SHORTCUT.split("\\"))))
        entry = reg_values(root + "\\" + UNINSTALL_KEY)
        location = entry["InstallLocation"]
        self.assertEqual(unix_path(location), folder)
        self.assertEqual({k: entry[k] for k in ("DisplayName", "DisplayVersion", "Publisher", "DisplayIcon",
                                                 "UninstallString", "QuietUninstallString")},
                         {"DisplayName": "Zandu SMS", "DisplayVersion": VERSION, "Publisher": "Zandu",
                          "DisplayIcon": location + "\\ZanduSMS.exe,0",
                          "UninstallString": '"%s\\Uninstall.exe"' % location,
                          "QuietUninstallString": '"%s\\Uninstall.exe" /S' % location})
        # Kilobytes of the installed files, as Apps & features shows them.
        size = sum(os.path.getsize(os.path.join(folder, f)) for f in files_in(folder))
        self.assertAlmostEqual(entry["EstimatedSize"], size / 1024, delta=len(self.files) + 1)
        return entry

    def uninstall(self, root, entry, folder, *options):
        """Runs the uninstaller as Apps & features' quiet command does; it goes
        on in a copy of itself, so the end is when its entry has gone too."""
        command = entry["QuietUninstallString"]
        exe = command[1:command.index('"', 1)]
        self.assertEqual(wine_run(exe, "/S", *options).returncode, 0)
        zandu.wait_for(lambda: not (os.path.exists(folder) or reg_values(root + "\\" + UNINSTALL_KEY)), 60,
                       interval=0.2, fail=False)
        self.assertFalse(os.path.exists(folder), "left behind: %s" % sorted(files_in(folder)))
        self.assertIsNone(reg_values(root + "\\" + UNINSTALL_KEY))

    def check_runs(self, folder):
        """The program shows its window with the phone on COM5; the console
        tool beside it sends a message the phone receives."""
        with Phone(port_link("COM5")) as phone:
            with Program(os.path.join(folder, "ZanduSMS.exe")) as program:
                program.wait_status("Ready")
                selected, ports = program.items(PORT)
                self.assertEqual(ports[selected], "COM5")
                program.click(TEST_PORT)
                program.wait_status(lambda t: t.startswith("Device on COM5 is a(n) PhoneSim"))
            out = wine_run(os.path.join(folder, "zandusms-cli.exe"), "send", "--port", "COM5",
                           "--to", "0123456789", "--text", TEXT, timeout=120)
            self.assertEqual(out.returncode, 0, out.stdout + out.stderr)
            self.assertEqual(lines(out.stdout)[-1], "Message sent to 0123456789")
            [pdu] = phone.events("pdu")
            msg = decode_submit(pdu["pdu"])
            self.assertEqual((msg["Number"], msg["Text"]), ("0123456789", TEXT))

    def test_per_user(self):
        folder = os.path.join(shell_folder("LOCALAPPDATA"), "Programs", "Zandu SMS")
        self.install()
        entry = self.check_installed(folder, "HKCU", self.appdata)
        self.assertIsNone(reg_values("HKLM\\" + UNINSTALL_KEY))
        self.check_runs(folder)
        kept = self.settings()
        self.uninstall("HKCU", entry, folder)
        self.assertFalse(os.path.exists(os.path.join(self.appdata, *SHORTCUT.split("\\"))))
        self.assertEqual(self.settings(), kept)
        self.assertTrue(os.path.isfile(os.path.join(self.data, "inbox.json")))
        # Elevated on behalf of another user (as a per-machine uninstaller
        # started without the rights starts itself again), the box removes
        # that user's key and data, not those of the account it runs as.
        other = "HKU\\S-1-5-21-9-9-9-1001\\" + SETTINGS_KEY
        zandu.settings_set_string("Port", "COM7", key=other)
        other_data = os.path.join(unix_path("C:\\"), "otheruser")
        os.makedirs(os.path.join(other_data, "Zandu SMS"), exist_ok=True)
        self.install()
        self.uninstall("HKCU", entry, folder, "/RemoveSettings", "/UserSid=S-1-5-21-9-9-9-1001",
                       "/UserData=C:\\otheruser")
        self.assertEqual(self.settings(), kept)
        self.assertIsNone(reg_values(other))
        self.assertEqual(os.listdir(other_data), [])
        # Ticked, the box removes the user's key and data; a per-user
        # uninstall leaves the machine's key alone.
        self.install()
        self.uninstall("HKCU", entry, folder, "/RemoveSettings")
        self.assertEqual(self.settings(), [kept[0], None])
        self.assertFalse(os.path.exists(self.data))

    def test_per_machine(self):
        folder = os.path.join(unix_path(r"C:\Program Files"), "Zandu SMS")
        self.install("/AllUsers")
        entry = self.check_installed(folder, "HKLM", shell_folder("ProgramData"))
        self.assertIsNone(reg_values("HKCU\\" + UNINSTALL_KEY))
        self.uninstall("HKLM", entry, folder, "/RemoveSettings")
        self.assertFalse(os.path.exists(os.path.join(shell_folder("ProgramData"), *SHORTCUT.split("\\"))))
        self.assertEqual(self.settings(), [None, None])
        self.assertFalse(os.path.exists(self.data))

    def test_portable_zip(self):
        with tempfile.TemporaryDirectory(prefix="zandu portable ") as tmp:
            with zipfile.ZipFile(ZIP) as z:
                z.extractall(tmp)
            self.check_runs(os.path.join(tmp, "ZanduSMS-" + VERSION))


if __name__ == "__main__":
    zandu.main()
