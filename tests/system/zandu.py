"""Shared helpers of the system tests: where the executables are and how to run them."""
import os
import subprocess
import tempfile

BUILD = os.environ.get("ZANDU_BUILD", "host")


def _command(exe, args):
    cmd = [exe, *args]
    if BUILD == "windows":
        cmd = [os.environ["ZANDU_WINE_RUN"], *cmd]
    return cmd


def cli(*args, stdin=None, timeout=120):
    """Runs zandusms-cli (natively or under Wine) and returns the CompletedProcess,
    with stdout and stderr decoded from UTF-8 and line ends normalised."""
    proc = subprocess.run(_command(os.environ["ZANDU_CLI"], args), input=stdin,
                          capture_output=True, timeout=timeout)
    proc.stdout = proc.stdout.decode("utf-8").replace("\r\n", "\n")
    proc.stderr = proc.stderr.decode("utf-8", "replace").replace("\r\n", "\n")
    return proc


def pdu_lines(stdout):
    """Pairs (length, pdu) from the output of 'zandusms-cli pdu'."""
    lines = stdout.split("\n")
    assert lines[-1] == "", "output must end with a line break"
    lines = lines[:-1]
    assert len(lines) % 2 == 0, lines
    pairs = []
    for at, pdu in zip(lines[0::2], lines[1::2]):
        assert at.startswith("AT+CMGS="), at
        pairs.append((int(at[len("AT+CMGS="):]), pdu))
    return pairs


def winprobe(*args, timeout=120):
    """Runs winprobe under Wine; returns (exit code, stdout lines). Its output
    goes through a file, not a pipe: a Wine service started meanwhile would
    inherit a pipe and keep it open long after winprobe has ended."""
    with tempfile.TemporaryFile() as out:
        proc = subprocess.run(_command(os.environ["ZANDU_WINPROBE"], [str(a) for a in args]),
                              stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL, timeout=timeout)
        out.seek(0)
        lines = out.read().decode("utf-8", "replace").replace("\r\n", "\n").split("\n")
    return proc.returncode, [line for line in lines if line]


def top_level_windows(process):
    """(hwnd, visible, class, title) of each top-level window of a process
    (an id or the executable's file name)."""
    code, lines = winprobe("list", process)
    windows = []
    for line in lines:
        cols = line.split("\t")
        if len(cols) == 4:
            windows.append((cols[0], cols[1] == "1", cols[2], cols[3]))
    return windows


def start_program(exe, *args):
    """Starts a Windows program under Wine without waiting for it."""
    return subprocess.Popen(_command(exe, args), stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def wine_reg(*args):
    """The command line of 'reg' in the test prefix."""
    return [os.environ["ZANDU_WINE_RUN"], "reg", *args]
