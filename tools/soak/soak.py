"""The chaos soak and the load run through the window under Wine
(scripts/soak.sh sets up and runs this; it is not part of the test command).

Soak: MESSAGES messages, five recipients a Send, through one phone simulator
that misbehaves at random as real modems and networks do (--random-quirks,
--network-quirks, --split-random, the stick's vendor lines): answers split
anywhere, unsolicited and vendor lines, late prompts, network answers late
within the window's 180 s wait and, rarely, just beyond it, transient and
permanent refusals, network time-outs (332) whose message went or not. The
driver acts as a user: it presses Cancel when the phone falls silent (and
now and then when an answer is late), presses Send again for what the
recipients box still holds after a failure, an error or a Cancel, gives a
recipient up after its second refusal, and leaves a message not confirmed
alone. About every KILL_EVERY messages it ends the program hard (at any
moment, at a late prompt so that the phone is left waiting for its PDU, or
while a network answer is awaited), starts it again and sends the rest from
the restored outbox as a user would: the box and the text come back, press
Send.

At the end, from the phone's own log against the history, the "Reports"
marks and the outbox (chaos.py): sent once, sent twice, lost (neither taken
nor reported failed or not confirmed), reported failed but taken, taken
but not reported, not confirmed (each against the phone's log), the history
and every restore; the working set along the way. Every message that breaks
a target is named; the phone's log and the program's trace are kept.

Load: one Send to RECIPIENTS recipients through a plain phone: in order, each
once, working set along the way, and how fast the window answers a caller
(WM_NULL through SendMessageTimeout from winprobe) all the while.

    soak.py [--messages N] [--kill-every N] [--minutes M] [--recipients N] [--seed S] [--figures FILE]
"""
import argparse
import json
import os
import random
import sys
import threading
import time

# zandu.py drives the program for the system tests too.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "system"))
import zandu  # noqa: E402
from zandu import Phone, Program, SavedSettings, history_messages, port_link, settings_list  # noqa: E402
import chaos  # noqa: E402

SEND, CANCEL, NUMBER_BOX = 1006, 1012, 1014
SUBMIT_WAIT_S = 180  # the window's wait for the network's answer to a PDU
ENDINGS = ("Failed", "Error", "Canceled", "Not confirmed")
PER_SEND = 5
PROBE_EVERY = 200
KILL_MODES = ("any moment", "at a late prompt", "awaiting a late answer")


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
    """Short, two parts, UCS-2, UCS-2 in three parts: each Send's own."""
    kind = j % 4
    if kind == 1:
        return ("Soak %d " % j) + "".join(chr(ord("a") + i % 26) for i in range(170))
    if kind == 2:
        return "Проверка %d" % j
    if kind == 3:
        return ("Проверка %d " % j) * 12
    return "Soak %d" % j


def typed(i):
    """Every seventh number typed with a space, as people do."""
    number = "0170%07d" % i
    return number[:4] + " " + number[4:] if i % 7 == 3 else number


def number_of(token):
    return token.replace(" ", "")


class Soak:
    def __init__(self, args, figures):
        self.args, self.figures = args, figures
        self.rng = random.Random(args.seed)
        self.reckoning = chaos.Reckoning()
        self.folder = os.path.dirname(args.figures) if args.figures else ""
        self.program_log = open(os.path.join(self.folder, "program.log"), "w", encoding="utf-8") \
            if self.folder else None
        self.lives, self.kills, self.cancels, self.sends = 0, {}, {}, 0
        self.endings, self.probes, self.failures = {}, [], {}
        self.composed = 0
        self.program = None
        self.crashes = []  # (life, exit code, Wine's last words) of a program that ended by itself

    # --- The program's lives -------------------------------------------------------

    def start_program(self):
        # The window of a killed program is gone before the next one looks for its own.
        zandu.wait_for(lambda: not zandu.top_level_windows(os.path.basename(zandu.PROGRAM)), 30,
                       "the killed program's window to go")
        self.program = Program(outbox=True)
        self.lives += 1
        self.program.wait_status("Ready", 60)

    def end_life(self, how):
        """Ends the program (killed hard, as Program.stop() does) and keeps
        its trace, and what else it wrote (Wine's word of a crash)."""
        program = self.program
        code = program.proc.poll()
        program._log.seek(0)
        other = [line for line in program._log.read().decode("utf-8", "replace").split("\n")
                 if line and ":warn:debugstr:" not in line]
        program.stop()
        self.program = None
        if code is not None:
            self.crashes.append((self.lives, code, other[-20:]))
        if self.program_log:
            self.program_log.write("=== program life %d, ended %s%s\n" % (
                self.lives, how, "" if code is None else ", but it had ended by itself with %d" % code))
            self.program_log.writelines(repr(s) + "\n" for s in program.debug_strings())
            self.program_log.writelines("stderr: %s\n" % line for line in other)
            self.program_log.flush()

    def probe(self, when):
        self.probes.append((when, self.composed, self.lives, usage(self.program)))

    # --- One Send, as a user watches it ---------------------------------------------

    def send(self, box, phone, kill):
        """Presses Send for what the box holds; the statuses it showed and
        whether the program was killed meanwhile (kill: None, or the mode)."""
        program = self.program
        before = len(program.status_trail())
        seen = len(phone.events())
        if program.proc.poll() is not None:
            self.end_life("by itself")
            return program.status_trail()[before:], "crash"
        program.click(SEND)
        self.sends += 1
        started = time.monotonic()
        kill_at = started + self.rng.uniform(0.2, 6.0) if kill == KILL_MODES[0] else None
        silent_since = late_since = None
        last_change, last_len = started, 0
        cancel_pressed = 0
        while True:
            time.sleep(0.15)
            now = time.monotonic()
            trail = program.status_trail()[before:]
            events = phone.events()[seen:]
            quirks = [e for e in events if e["event"] == "quirk"]
            if len(trail) != last_len:
                last_change, last_len = now, len(trail)
            if program.proc.poll() is not None:  # a crash: started again as after a kill
                self.end_life("by itself")
                return program.status_trail()[before:], "crash"
            if kill and self.kill_due(kill, kill_at, quirks, now):
                self.probe("before kill %d" % (sum(self.kills.values()) + 1))
                self.end_life("killed %s" % kill)
                return program.status_trail()[before:], kill
            sent = [t for t in trail if t.startswith("Message sent to ")]
            if (any(t.startswith(ENDINGS) for t in trail) or len(sent) == len(box)) and program.enabled(SEND):
                return program.status_trail()[before:], None
            # A user presses Cancel when the phone has gone silent, and now
            # and then when an answer is late in coming.
            if any("silent" in q["kinds"] for q in quirks) and silent_since is None:
                silent_since = now
            if any("late-answer" in q["kinds"] for q in quirks) and late_since is None:
                late_since = now if self.rng.random() < 0.25 else -1
            reason = None
            if silent_since and now - silent_since > 1.5 and now - last_change > 1.0:
                reason = "silent phone"
            elif late_since and late_since > 0 and now - late_since > 1.0:
                reason = "late answer"
            elif now - last_change > SUBMIT_WAIT_S + 60:
                reason = "nothing for %d s" % (SUBMIT_WAIT_S + 60)
            if reason and cancel_pressed < 3:
                program.click(CANCEL)
                self.cancels[reason] = self.cancels.get(reason, 0) + 1
                cancel_pressed += 1
                silent_since = late_since = None
                last_change = now
            assert now - started < 3 * SUBMIT_WAIT_S + 120, "the window never ended a Send: %r" % trail[-5:]

    def kill_due(self, kill, kill_at, quirks, now):
        if kill == KILL_MODES[0]:
            return now >= kill_at
        kind = "late-prompt" if kill == KILL_MODES[1] else "late-answer"
        return any(kind in q["kinds"] for q in quirks)

    # --- The run -------------------------------------------------------------------

    def run(self, phone):
        args = self.args
        zandu.clear_outbox()
        self.start_program()
        self.probe("start")
        box, text, j = [], "", 0
        next_kill = self.next_kill(0)
        kill_tries, kill_mode = 0, None
        started = time.monotonic()
        idle_sends = 0
        while True:
            if not box:
                over_time = args.minutes and time.monotonic() - started > args.minutes * 60
                if self.composed >= args.messages or over_time:
                    break
                box = [typed(self.composed + k) for k in range(min(PER_SEND, args.messages - self.composed))]
                text = text_of_send(j)
                j += 1
                for token in box:
                    self.reckoning.add(number_of(token), text)
                self.composed += len(box)
                self.program.compose("; ".join(box), text)
                if self.composed // PROBE_EVERY != (self.composed - len(box)) // PROBE_EVERY:
                    self.probe("after %d" % self.composed)
                print("\r%d of %d messages, %d Sends, %d lives" % (self.composed, args.messages, self.sends,
                                                                  self.lives), end="", flush=True)
            kill = None
            if args.kill_every and self.composed >= next_kill:
                # A kill at a quirk waits for one through a few Sends, then takes any moment.
                kill = KILL_MODES[0] if kill_tries >= 6 else kill_mode or self.rng.choice(KILL_MODES)
                kill_mode, kill_tries = kill, kill_tries + 1
            trail, killed = self.send(box, phone, kill)
            if killed:
                box = self.after_kill(killed, box, text, trail)
                if killed != "crash":
                    next_kill, kill_tries, kill_mode = self.next_kill(self.composed), 0, None
                idle_sends = 0
                continue
            box, served = self.after_send(box, trail)
            idle_sends = 0 if served else idle_sends + 1
            assert idle_sends < 25, "25 Sends in a row served nobody: %r" % trail[-3:]
        self.probe("at the end")
        self.took = time.monotonic() - started
        left = [chaos.read_journal(open(p, encoding="utf-8").read()) for p in zandu.outbox_files()]
        self.end_life("at the end")
        return left

    def next_kill(self, at):
        every = self.args.kill_every
        return at + self.rng.randint(every // 2, every * 3 // 2) if every else 0

    def count_endings(self, trail):
        for t in trail:
            if t.startswith("Failed"):
                reason = t.split(": ", 1)[1].split(";")[0] if ": " in t else "no reason"
                key = "Failed: " + reason
            elif t.startswith(ENDINGS):
                key = t.split(":")[0].split(";")[0]
            else:
                continue
            self.endings[key] = self.endings.get(key, 0) + 1

    def refused(self, token):
        """A recipient refused: the user tries once more, then gives it up."""
        who = number_of(token)
        self.failures[who] = self.failures.get(who, 0) + 1
        if self.failures[who] < 2:
            return False
        self.reckoning.failed.add(who)
        return True

    def after_send(self, box, trail):
        """What the box holds now; whether anyone was served."""
        self.count_endings(trail)
        served = any(t.startswith(("Message sent to ", "Not confirmed", "Failed")) for t in trail)
        if not any(t.startswith(ENDINGS) for t in trail):
            return [], served  # every one sent: the next message
        rest = [t.strip() for t in self.program.text(NUMBER_BOX).split(";") if t.strip()]
        # The run stops at the one refused: the first of those not served.
        if trail[-1].startswith("Failed to send message to ") and rest and self.refused(rest[0]):
            rest = rest[1:]
            if rest:
                zandu.winprobe("settext", self.program.hwnd, NUMBER_BOX, "; ".join(rest))
        return rest, served

    def after_kill(self, mode, box, text, trail):
        """The program was killed in the middle of a Send: what its outbox
        kept, then a new start that must put back what was not served."""
        if mode != "crash":
            self.kills[mode] = self.kills.get(mode, 0) + 1
        self.count_endings(trail)
        entries = [chaos.read_journal(open(p, encoding="utf-8").read()) for p in zandu.outbox_files()]
        entries = [e for e in entries if e]
        for entry in entries:
            for r in entry["recipients"]:
                if r["state"] == "not confirmed":
                    self.reckoning.unconfirmed_at_kill.add(number_of(r["number"]))
                elif r["state"] == "sent":
                    self.reckoning.sent_in_outbox.add(number_of(r["number"]))
        self.start_program()
        program = self.program
        if entries:
            entry = entries[0]
            rest = chaos.to_serve(entry)
            expected = (chaos.restored_note(entry), "; ".join(rest), entry["text"] if rest else "")
            shown = zandu.wait_for(lambda: [t for t in program.status_trail() if t.startswith("Restored")], 10,
                                   fail=False)
            got = (shown[0] if len(shown) == 1 else repr(shown), program.text(NUMBER_BOX) if rest else "",
                   program.text(1002) if rest else "")
            if got != expected or len(entries) > 1:
                self.reckoning.restore_wrong.append(("%r of %d entries" % (expected, len(entries)), repr(got)))
            first = next((r for r in entry["recipients"] if r["state"] in ("waiting", "failed")), None)
            if first and first["state"] == "failed" and self.refused(rest[0]):
                rest = rest[1:]
                zandu.winprobe("settext", program.hwnd, NUMBER_BOX, "; ".join(rest))
            return rest
        if "Connecting..." not in trail:
            program.compose("; ".join(box), text)  # killed before anything was kept: typed again
            return box
        # The entry had ended: every recipient had its outcome before the kill.
        failed = [t for t in trail if t.startswith("Failed to send message to ")]
        if failed:
            who = failed[-1][len("Failed to send message to "):].split(":")[0].split(";")[0]
            token = next((t for t in box if number_of(t) == number_of(who)), None)
            if token and not self.refused(token):
                program.compose(token, text)
                return [token]
        return []

    # --- The figures -----------------------------------------------------------------

    def report(self, phone, left):
        args, figures, rc = self.args, self.figures, self.reckoning
        for entry in [e for e in left if e]:
            for r in entry["recipients"]:
                if r["state"] == "not confirmed":
                    rc.unconfirmed_at_kill.add(number_of(r["number"]))
        marks = [f.split("\t")[1] for f in (settings_list("Reports") or [])
                 if len(f.split("\t")) > 4 and f.split("\t")[4] == "3"]
        rows, nc, fragments = rc.reckon(phone.events("pdu"), history_messages(), marks)
        n = len(rc.texts)
        figures.append("Soak (seed %d, a kill about every %d messages): %d messages%s in %.0f s (%.1f s a message), "
                       "%d Sends, %d program lives" % (
                           args.seed, args.kill_every, n, "" if n == args.messages else " (of %d asked)" % args.messages,
                           self.took, self.took / max(n, 1), self.sends, self.lives))
        figures.append("  sent once %d; sent twice %d (target 0); lost %d (target 0); reported failed but accepted %d "
                       "(target 0); taken but not reported %d (target 0)" % (
                           len(rows["sent once"]), len(rows["sent twice"]), len(rows["lost"]),
                           len(rows["failed but accepted"]), len(rows["taken but not reported"])))
        figures.append("  not confirmed %d, each against the phone's log: taken %d, not taken %d, in part %d "
                       "(%d of them at a kill)" % (len(rows["not confirmed"]), nc["taken"], nc["not taken"],
                                                   nc["in part"], len(rc.unconfirmed_at_kill)))
        figures.append("  reported failed %d (given up after two refusals; %d parts of them taken); history wrong %d; "
                       "restores wrong %d; garbled %d; sent but not in the history %d" % (
                           len(rc.failed), fragments, len(rows["history wrong"]), len(rows["restore wrong"]),
                           len(rows["garbled"]), len(rows["sent, not in the history"])))
        for label in chaos.Reckoning.TARGETS + ("sent, not in the history",):
            for number, text, why in rows[label]:
                figures.append("    %s: %s %r: %s" % (label, number, text[:24], why))
        figures.append("  kills: " + ", ".join("%s %d" % kv for kv in sorted(self.kills.items())) +
                       "; Cancels: " + ", ".join("%s %d" % kv for kv in sorted(self.cancels.items())))
        kinds = {}
        for q in phone.events("quirk"):
            for k in q["kinds"].split():
                kinds[k] = kinds.get(k, 0) + 1
        figures.append("  quirks: " + ", ".join("%s %d" % kv for kv in sorted(kinds.items())))
        figures.append("  ended with: " + "; ".join("%s (%d)" % kv for kv in sorted(self.endings.items())))
        at = {}
        for when, composed, life, u in self.probes:
            at.setdefault(composed, (when, life, u))
        marks_at = sorted(at)
        figures.append("  working set KB by messages composed (program life): " + ", ".join(
            "%d: %d (%d)" % (c, at[c][2]["working_set_kb"], at[c][1]) for c in marks_at))
        first = next((c for c in marks_at if c >= PROBE_EVERY), marks_at[0])
        a, b = at[first][2], self.probes[-1][3]
        for key, name in (("working_set_kb", "working set KB"), ("private_kb", "private KB"), ("fds", "Wine fds"),
                          ("threads", "threads")):
            if key in a:
                figures.append("  %-15s after %d: %7d   at the end (%d): %7d   %+.1f %%" % (
                    name, first, a[key], n, b[key], (b[key] - a[key]) * 100.0 / a[key] if a[key] else 0.0))
        for life, code, words in self.crashes:
            figures.append("    the program ended by itself in life %d with exit code %d: %s" % (
                life, code, " | ".join(words[-3:])))
        return not self.crashes and not any(rows[label] for label in chaos.Reckoning.TARGETS)


def soak(args, figures):
    zandu.settings_set_string("Port", "COM5")
    wait_ms = str(SUBMIT_WAIT_S * 1000)
    seed = str(args.seed)
    with Phone(port_link("COM5"), "--random-quirks", seed, "--network-quirks", wait_ms, "--split-random", seed,
               "--profile", "stick", "--profile-seed", seed, "--sim-busy", "1500", "--gap", "100") as phone:
        run = Soak(args, figures)
        try:
            left = run.run(phone)
        finally:
            if run.program:
                run.end_life("by a failure of the driver")
            phone.stop()
            if run.folder:
                with open(os.path.join(run.folder, "phone.log"), "w", encoding="utf-8") as f:
                    f.writelines(json.dumps(e, ensure_ascii=False) + "\n" for e in phone.events())
            for life, code, words in run.crashes:
                print("\nProgram life %d ended by itself with %d: %s" % (life, code, " | ".join(words)))
        return run.report(phone, left)


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
            if any(t.startswith(ENDINGS) for t in trail) or \
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
    parser.add_argument("--messages", type=int, default=2000)
    parser.add_argument("--kill-every", type=int, default=200)
    parser.add_argument("--minutes", type=float, default=0, help="no new messages after this long (0: no limit)")
    parser.add_argument("--recipients", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--figures", default="")
    args = parser.parse_args()
    figures = ["%s, %s" % (time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()), os.uname().nodename)]
    with SavedSettings():
        for name in ("Numbers", "NewHistory", "Reports", "Contacts", "PendingFeedback", "AllowStats",
                     "DeliveryReport"):
            zandu.settings_delete_value(name)
        zandu.settings_set_dword("AllowCheck", 0)
        ok = soak(args, figures) if args.messages else True
        print()
        ok = (load(args, figures) if args.recipients else True) and ok
    print("\n".join(figures))
    if args.figures:
        with open(args.figures, "w", encoding="utf-8") as f:
            f.write("\n".join(figures) + "\n")
    print("PASSED" if ok else "FAILED: see the figures")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
