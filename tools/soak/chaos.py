"""The chaos soak's reckoning: what the phone took, from its own log, against
what the program reported, from its history ("NewHistory"), its "Reports"
marks of messages not confirmed, its outbox journals and its status line.
soak.py drives the window; this module holds what needs no window, so that
it can be read (and checked) on its own.
"""
import json

STATES = ("waiting", "submitting", "sent", "failed", "not confirmed")


def read_journal(data):
    """An outbox journal read as the program reads it: the entry, then each
    change until a line that cannot be read (torn by a kill); a recipient
    left submitting is not confirmed (and marked "submitting": True). None
    when the first line is no entry."""
    entry = None
    for line in data.split("\n")[:-1]:  # the last piece has no line end: torn
        try:
            record = json.loads(line)
            if entry is None:
                if record.get("outbox") != 1:
                    return None
                entry = {"text": record["text"],
                         "recipients": [{"typed": r["typed"], "number": r["number"], "state": "waiting",
                                         "ref": 0, "parts": 0} for r in record["recipients"]]}
                continue
            index, state = record["r"], record["state"]
            if index >= len(entry["recipients"]) or state not in STATES:
                break
            entry["recipients"][index].update(state=state, ref=record.get("ref", 0), parts=record.get("parts", 0))
        except (ValueError, KeyError, TypeError):
            if entry is None:
                return None
            break
    for r in entry["recipients"] if entry else []:
        if r["state"] == "submitting":
            r.update(state="not confirmed", submitting=True)
    return entry


def count(entry, state):
    return sum(r["state"] == state for r in entry["recipients"])


def restored_note(entry):
    """The status note of a restored entry, as the window words it."""
    note = "Restored a message that was not sent to everyone: sent to %d, waiting %d" % (
        count(entry, "sent"), count(entry, "waiting") + count(entry, "failed"))
    unconfirmed = [r["number"] for r in entry["recipients"] if r["state"] == "not confirmed"]
    if unconfirmed:
        note += ", not confirmed %d (%s)" % (len(unconfirmed), ", ".join(unconfirmed))
    return note


def to_serve(entry):
    """The recipients a restored entry puts back into the box, as typed."""
    return [r["typed"] for r in entry["recipients"] if r["state"] in ("waiting", "failed")]


def taken_parts(pdu_events):
    """number -> [(reference or None, part, parts, text)] of every PDU the
    phone took (gave a message reference), in order."""
    taken = {}
    for p in pdu_events:
        if "mr" in p and p.get("valid"):
            taken.setdefault(p["number"], []).append((p.get("ref"), p.get("part", 1), p.get("parts", 1), p["text"]))
    return taken


def judge(text, parts):
    """What the recipient got of a message: (whole, twice, garbled, parts
    taken). Whole: every part under one reference, their texts making the
    message; twice: some part came more than once, under any reference;
    garbled: parts under different references, or a text not the message's."""
    if not parts:
        return False, False, False, 0
    count_of = {}
    by_ref = {}
    for ref, part, total, piece in parts:
        count_of[part] = count_of.get(part, 0) + 1
        by_ref.setdefault((ref, total), {})[part] = piece
    whole = any(len(got) == total and "".join(got[i] for i in range(1, total + 1)) == text
                for (ref, total), got in by_ref.items())
    twice = any(n > 1 for n in count_of.values())
    garbled = not whole or len(by_ref) > 1
    return whole, twice, garbled and not twice, len(parts)


class Reckoning:
    """Every message of the run, by its number (each message has a number of
    its own), with what the program reported and the phone took."""

    TARGETS = ("sent twice", "lost", "failed but accepted", "taken but not reported", "garbled",
               "history wrong", "restore wrong")

    def __init__(self):
        self.texts = {}            # number -> the message's text
        self.failed = set()        # given up after the window reported it failed
        self.unconfirmed_at_kill = set()  # submitting when the program was killed
        self.sent_in_outbox = set()       # the outbox said sent when the program was killed
        self.restore_wrong = []    # (what was expected, what the window showed)

    def add(self, number, text):
        self.texts[number] = text

    def reckon(self, pdu_events, history, unconfirmed_marks):
        """The figures and the messages that break a target."""
        taken = taken_parts(pdu_events)
        records = {}
        # The history keeps a number as it was typed: "0170 1234567".
        for number, text in history:
            records.setdefault(number.replace(" ", ""), []).append(text)
        marked = set(n.replace(" ", "") for n in unconfirmed_marks)
        rows = {k: [] for k in ("sent once", "not confirmed", "sent, not in the history") + self.TARGETS}
        nc = {"taken": 0, "not taken": 0, "in part": 0}
        fragments = 0
        for number, text in self.texts.items():
            whole, twice, garbled, n_parts = judge(text, taken.get(number, []))
            recorded = records.get(number, [])
            unconfirmed = number in marked or number in self.unconfirmed_at_kill
            reported_sent = not unconfirmed and (text in recorded or number in self.sent_in_outbox)
            failed = number in self.failed and not reported_sent and not unconfirmed
            why = "taken %d part(s)%s; history %d; %s" % (
                n_parts, " whole" if whole else "", len(recorded),
                "not confirmed" if unconfirmed else "reported sent" if reported_sent
                else "reported failed" if failed else "nothing reported")
            item = (number, text, why)
            if twice:
                rows["sent twice"].append(item)
            if garbled and n_parts and not failed and not unconfirmed:
                rows["garbled"].append(item)
            if unconfirmed:
                rows["not confirmed"].append(item)
                nc["taken" if whole else "in part" if n_parts else "not taken"] += 1
            elif failed:
                if whole:
                    rows["failed but accepted"].append(item)
                fragments += n_parts
            elif reported_sent:
                if not recorded:
                    rows["sent, not in the history"].append(item)
                if not whole:
                    rows["lost"].append(item)
                elif not twice:
                    rows["sent once"].append(item)
            elif whole:
                rows["taken but not reported"].append(item)
            else:
                rows["lost"].append(item)
            history_ok = (len(recorded) <= 1 and (failed or not recorded or recorded == [text])
                          and (not failed or not recorded)
                          and (not reported_sent or recorded or number in self.sent_in_outbox))
            if not history_ok:
                rows["history wrong"].append(item)
        rows["restore wrong"] = [("-", expected, "shown: %s" % shown) for expected, shown in self.restore_wrong]
        return rows, nc, fragments
