"""The soak and the load run through the window under Wine (scripts/soak.sh
sets up and runs this; it is not part of the test command).

Soak: MESSAGES messages in one run of the program, five recipients a Send,
through the phone simulator misbehaving at random (--random-quirks). When
the phone falls silent the driver presses Cancel and sends again to the
recipients not yet served. Then: every message the window reported sent was
taken by the phone exactly once, whole, with the right number and text, and
has one history record; a failed one has none; handles, GDI/USER objects and
working set after all of them against those after the first 50.

Load: one Send to RECIPIENTS recipients through a plain phone: in order, each
once, working set along the way, and how fast the window answers a caller
(WM_NULL through SendMessageTimeout from winprobe) all the while.

    soak.py [--messages N] [--recipients N] [--seed S] [--figures FILE]
"""
import argparse
import json
import os
import re
import sys
import threading
import time

# zandu.py drives the program for the system tests too.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "system"))
import zandu  # noqa: E402
from zandu import Phone, Program, SavedSettings, history_messages, port_link, settings_list  # noqa: E402

SEND, CANCEL = 1006, 1012
ENDED = ("Failed", "Error", "Canceled")
PER_SEND = 5
FIRST_PROBE = 50


def usage(program):
    """What the program holds. Wine answers the handle count and the GDI and
    USER object counts with 0, so the Wine process's open file descriptors
    and threads stand beside them."""
    code, out = zandu.winprobe("usage", os.path.basename(zandu.PROGRAM))
    assert code == 0, "no usage of the program"
    figures = {k: int(v) for k, v in (field.split("=") for field in out[0].split())}
    figures["fds"] = len(os.listdir("/proc/%d/fd" % program.proc.pid))
    with open("/proc/%d/status" % program.proc.pid) as f:
        status = dict(line.split(":", 1) for line in f if ":" in line)
    figures["threads"] = int(status["Threads"])
    return figures


def text_of_send(j):
    if j % 3 == 1:  # two parts
        return ("Soak %d " % j) + "".join(chr(ord("a") + i % 26) for i in range(170))
    if j % 3 == 2:  # UCS-2
        return "Проверка %d" % j
    return "Soak %d" % j


def keep_logs(args, phone, program):
    """The phone's log and the program's status and trace, for a run that failed."""
    if not args.figures:
        return
    folder = os.path.dirname(args.figures)
    with open(os.path.join(folder, "phone.log"), "w", encoding="utf-8") as f:
        f.writelines(json.dumps(e) + "\n" for e in phone.events())
    with open(os.path.join(folder, "program.log"), "w", encoding="utf-8") as f:
        f.writelines(repr(s) + "\n" for s in program.debug_strings())


def whole_messages(phone):
    """(number, text) of every message the phone took whole, once per time
    it took it; and the number of parts taken of messages it never got whole."""
    singles, parts = [], {}
    for p in phone.events("pdu"):
        if "mr" not in p:
            continue
        if "parts" in p:
            parts.setdefault((p["number"], p["ref"], p["parts"]), {})[p["part"]] = p["text"]
        else:
            singles.append((p["number"], p["text"]))
    whole, fragments = list(singles), 0
    for (number, _, count), got in parts.items():
        if len(got) == count:
            whole.append((number, "".join(got[i] for i in range(1, count + 1))))
        else:
            fragments += len(got)
    return whole, fragments


class Driver:
    def __init__(self, program, phone):
        self.program, self.phone = program, phone
        self.trail_seen = 0
        self.cancels = 0

    def send(self, numbers, text):
        """One Send; the numbers the window reported sent, and how it ended."""
        program = self.program
        program.compose(";".join(numbers), text)
        silences = len([q for q in self.phone.events("quirk") if "silent" in q["kinds"]])
        before = len(program.status_trail())
        program.click(SEND)
        silent_since = None
        while True:
            time.sleep(0.2)
            trail = program.status_trail()[before:]
            sent = [t[len("Message sent to "):].rsplit(" at ", 1)[0] for t in trail if t.startswith("Message sent to ")]
            ended = [t for t in trail if t.startswith(ENDED)]
            if (ended or len(sent) == len(numbers)) and program.enabled(SEND):
                return sent, ended[-1] if ended else "sent"
            now_silent = len([q for q in self.phone.events("quirk") if "silent" in q["kinds"]]) > silences
            if now_silent and not ended:
                silent_since = silent_since or time.monotonic()
                if time.monotonic() - silent_since > 1.0:
                    program.click(CANCEL)
                    self.cancels += 1
                    silences += 1
                    silent_since = None


def soak(args, figures):
    zandu.settings_set_string("Port", "COM5")
    with Phone(port_link("COM5"), "--random-quirks", str(args.seed), "--gap", "100") as phone, \
            Program() as program:
        program.wait_status("Ready")
        driver = Driver(program, phone)
        reported, failed, probes, reasons, j = [], [], {}, {}, 0
        first_probe = min(FIRST_PROBE, args.messages)
        started = time.monotonic()
        numbers = ["0170%07d" % i for i in range(args.messages)]
        texts = {}
        for first in range(0, args.messages, PER_SEND):
            pending = numbers[first:first + PER_SEND]
            text = text_of_send(j)
            j += 1
            for n in pending:
                texts[n] = text
            errors = 0
            while pending:
                sent, outcome = driver.send(pending, text)
                errors = 0 if sent else errors + outcome.startswith("Error")
                assert errors < 5, "the same recipient failed five times in a row: " + outcome
                reported += sent
                pending = pending[len(sent):]
                if outcome.startswith("Failed") and pending:
                    failed.append(pending.pop(0))  # refused by the phone: the user moves on
                    reasons[outcome] = reasons.get(outcome, 0) + 1
                elif outcome.startswith("Error"):
                    reasons[outcome] = reasons.get(outcome, 0) + 1
            done = len(reported) + len(failed)
            if not probes and done >= first_probe:
                probes[first_probe] = usage(program)
            print("\r%d of %d messages, %d failed, %d cancels" % (done, args.messages, len(failed), driver.cancels),
                  end="", flush=True)
        probes[args.messages] = usage(program)
        took = time.monotonic() - started
        quirks = phone.events("quirk")
        whole, fragments = whole_messages(phone)
        keep_logs(args, phone, program)
    print()
    records = history_messages()
    lost = [n for n in reported if whole.count((n, texts[n])) == 0]
    duplicated = [n for n in reported if whole.count((n, texts[n])) > 1]
    unrecorded = [n for n in reported if records.count((n, texts[n])) != 1]
    failed_recorded = [n for n in failed if any(r[0] == n for r in records)]
    failed_taken = [n for n in failed if any(w[0] == n for w in whole)]
    for label, found in (("lost", lost), ("duplicated", duplicated), ("recorded wrong", unrecorded),
                         ("failed but recorded", failed_recorded), ("failed but taken", failed_taken)):
        for n in found:
            figures.append("  %s: %s %r: taken whole %d times, %d history records"
                           % (label, n, texts[n][:20], whole.count((n, texts[n])), records.count((n, texts[n]))))
    kinds = {}
    for q in quirks:
        for k in q["kinds"].split():
            kinds[k] = kinds.get(k, 0) + 1
    figures.append("Soak (seed %d): %d messages in %.0f s: sent %d, failed %d, lost %d, duplicated %d, "
                   "history records wrong %d, failed ones recorded %d, failed ones taken %d, parts of unfinished "
                   "messages taken %d; Cancels %d" % (args.seed, args.messages, took, len(reported), len(failed),
                                                     len(lost), len(duplicated), len(unrecorded), len(failed_recorded),
                                                     len(failed_taken), fragments, driver.cancels))
    figures.append("Quirks: " + ", ".join("%s %d" % kv for kv in sorted(kinds.items())))
    figures.append("Ended with: " + "; ".join("%s (%d)" % kv for kv in sorted(reasons.items())))
    for key, name in (("handles", "handles"), ("gdi", "GDI objects"), ("user", "USER objects"),
                      ("working_set_kb", "working set KB"), ("fds", "Wine fds"), ("threads", "threads")):
        a, b = probes[first_probe][key], probes[args.messages][key]
        if a == b == 0:
            figures.append("  %-15s n/a (Wine answers 0)" % name)
            continue
        growth = (b - a) * 100.0 / a if a else 0.0
        figures.append("  %-15s after %d: %7d   after %d: %7d   %+.1f %%" % (name, first_probe, a, args.messages, b,
                                                                           growth))
    return not (lost or duplicated or unrecorded or failed_recorded or failed_taken)


class Responsiveness(threading.Thread):
    """winprobe responds in slices of 20 s until stopped: the worst answer."""

    def __init__(self, hwnd):
        super().__init__(daemon=True)
        self.hwnd, self.stop, self.results = hwnd, threading.Event(), []

    def run(self):
        while not self.stop.is_set():
            code, out = zandu.winprobe("responds", self.hwnd, 20000, 20)
            if code == 0 and out:
                self.results.append({k: float(v) for k, v in (f.split("=") for f in out[0].split())})


def load(args, figures):
    zandu.settings_set_string("Port", "COM5")
    numbers = ["0180%07d" % i for i in range(args.recipients)]
    zandu.settings_delete_value("Numbers")
    with Phone(port_link("COM5"), "--no-echo") as phone, Program() as program:
        program.wait_status("Ready")
        records = len(history_messages())
        program.compose(";".join(numbers), "Load")
        responsiveness = Responsiveness(program.hwnd)
        responsiveness.start()
        memory = [usage(program)["working_set_kb"]]
        before = len(program.status_trail())
        started = time.monotonic()
        program.click(SEND)
        while True:
            time.sleep(10)
            memory.append(usage(program)["working_set_kb"])
            trail = program.status_trail()[before:]
            if any(t.startswith(ENDED) for t in trail) or \
                    sum(t.startswith("Message sent to ") for t in trail) == len(numbers):
                break
        took = time.monotonic() - started
        time.sleep(1)
        memory.append(usage(program)["working_set_kb"])
        responsiveness.stop.set()
        responsiveness.join()
        sent = [t[len("Message sent to "):].rsplit(" at ", 1)[0] for t in trail if t.startswith("Message sent to ")]
        taken = [p["number"] for p in phone.events("pdu") if "mr" in p]
    new_records = history_messages()[records:]
    stored_numbers = [n.strip() for n in settings_list("Numbers") or []]
    samples = sum(r["samples"] for r in responsiveness.results)
    worst = max([r["worst_ms"] for r in responsiveness.results] or [0])
    over = sum(r["over_100ms"] for r in responsiveness.results)
    failed = sum(r["failed"] for r in responsiveness.results)
    in_order = sent == numbers and taken == numbers and [r[0] for r in new_records] == numbers
    figures.append("Load: one Send to %d recipients in %.0f s: reported sent %d, taken by the phone %d, in order and "
                   "once each: %s; history records %d; Numbers keeps the last %d (the last 100 recipients, in order: %s)"
                   % (len(numbers), took, len(sent), len(taken), "yes" if in_order else "NO", len(new_records),
                      len(stored_numbers), "yes" if stored_numbers == numbers[-100:] else "NO"))
    figures.append("  working set KB: start %d, max %d, end %d (%d samples, every 10 s)"
                   % (memory[0], max(memory), memory[-1], len(memory)))
    figures.append("  window answering a caller: %d samples, worst %.1f ms, %d over 100 ms, %d not answered"
                   % (samples, worst, over, failed))
    return in_order and len(new_records) == len(numbers) and stored_numbers == numbers[-100:]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--messages", type=int, default=500)
    parser.add_argument("--recipients", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--figures", default="")
    args = parser.parse_args()
    figures = ["%s, %s" % (time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()), os.uname().nodename)]
    with SavedSettings():
        for name in ("Numbers", "NewHistory", "Contacts", "PendingFeedback", "AllowStats"):
            zandu.settings_delete_value(name)
        zandu.settings_set_dword("AllowCheck", 0)
        ok = soak(args, figures) if args.messages else True
        ok = (load(args, figures) if args.recipients else True) and ok
    print("\n".join(figures))
    if args.figures:
        with open(args.figures, "w", encoding="utf-8") as f:
            f.write("\n".join(figures) + "\n")
    print("PASSED" if ok else "FAILED: see the figures")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
