"""Shared pieces of the corpus generators: repeatable content, small JPEG files,
the ground-truth record of every object a generator makes, and the manifest.

Everything random is drawn from random.Random(seed) so a rerun with the same
tools makes the same files. Only the standard library is used.
"""

import hashlib
import json
import os
import random
import struct
import subprocess

WORDS = (
    "alpha bravo cedar delta ember fjord grove harbor island jasper kettle lumen "
    "meadow nectar orbit pebble quartz river summit timber umber valley willow "
    "xenon yarrow zephyr amber basin canyon dune estuary falcon glacier heron "
    "inlet juniper kelp lagoon marsh nimbus oasis prairie quarry reef sierra "
    "tundra upland vista wharf yonder zenith anchor beacon cobalt drift"
).split()


def text_content(seed, size):
    """Text-like bytes: compresses well with xz yet differs for every seed."""
    rng = random.Random(seed)
    parts = []
    total = 0
    line = 0
    while total < size:
        words = " ".join(rng.choice(WORDS) for _ in range(rng.randint(6, 12)))
        chunk = f"{seed} {line:06d} {words}\n".encode()
        parts.append(chunk)
        total += len(chunk)
        line += 1
    return b"".join(parts)[:size]


def block_content(seed, size, block=512):
    """Numbered blocks: near-free under xz, still distinct block by block."""
    out = bytearray()
    index = 0
    tag = seed.encode()
    while len(out) < size:
        head = tag + b" block %010d " % index
        out += head + b"." * (block - len(head) - 1) + b"\n" if len(head) < block else head[:block]
        index += 1
    return bytes(out[:size])


def sha256(data):
    return hashlib.sha256(data).hexdigest()


# --- JPEG ------------------------------------------------------------------
# A baseline grey-scale JFIF. The Huffman tables are tiny (DC categories 0..2,
# the only AC symbol is end-of-block) so the scan can be written by hand.
# DC codes: category 0 -> 00, 1 -> 01, 2 -> 10 (an all-ones code is reserved).

def _segment(marker, payload):
    return struct.pack(">BBH", 0xFF, marker, len(payload) + 2) + payload


class _BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.count = 0

    def put(self, value, bits):
        for shift in range(bits - 1, -1, -1):
            self.acc = (self.acc << 1) | ((value >> shift) & 1)
            self.count += 1
            if self.count == 8:
                self.out.append(self.acc)
                if self.acc == 0xFF:
                    self.out.append(0x00)  # byte stuffing
                self.acc = 0
                self.count = 0

    def flush(self):
        while self.count:
            self.put(1, 1)  # pad with ones
        return bytes(self.out)


def make_jpeg(seed, width=32, height=32, total_size=None):
    """A valid baseline JPEG; COM segments pad it to total_size bytes."""
    rng = random.Random(seed)
    app0 = _segment(0xE0, b"JFIF\x00" + struct.pack(">BBBHHBB", 1, 1, 0, 72, 72, 0, 0))
    dqt = _segment(0xDB, bytes([0]) + bytes([rng.randint(1, 16) for _ in range(64)]))
    sof = _segment(0xC0, struct.pack(">BHHB", 8, height, width, 1) + bytes([1, 0x11, 0]))
    dc_bits = [0, 3] + [0] * 14
    dht_dc = _segment(0xC4, bytes([0x00] + dc_bits + [0, 1, 2]))
    ac_bits = [1] + [0] * 15
    dht_ac = _segment(0xC4, bytes([0x10] + ac_bits + [0x00]))
    sos = _segment(0xDA, bytes([1, 1, 0x00, 0, 63, 0]))

    writer = _BitWriter()
    dc = 0
    blocks = ((width + 7) // 8) * ((height + 7) // 8)
    for _ in range(blocks):
        target = max(-60, min(60, dc + rng.randint(-3, 3)))
        diff = target - dc
        dc = target
        if diff == 0:
            writer.put(0b00, 2)
        elif abs(diff) == 1:
            writer.put(0b01, 2)
            writer.put(1 if diff > 0 else 0, 1)
        else:
            writer.put(0b10, 2)
            writer.put(diff if diff > 0 else diff + 3, 2)
        writer.put(0, 1)  # end of block
    scan = writer.flush()

    head = b"\xFF\xD8" + app0 + dqt + sof + dht_dc + dht_ac
    tail = sos + scan + b"\xFF\xD9"
    comments = b""
    if total_size is not None:
        room = total_size - len(head) - len(tail)
        text_seed = 0
        while room > 4:
            payload_len = min(room - 4, 65533)
            payload = text_content(f"{seed}/com{text_seed}", payload_len)
            comments += _segment(0xFE, payload)
            room -= payload_len + 4
            text_seed += 1
        if room:
            raise ValueError("JPEG size leaves a gap smaller than a segment")
    return head + comments + tail


# --- ground truth ------------------------------------------------------------

class Obj:
    """One folder, file or stream the generator made, as the generator saw it."""

    def __init__(self, path, kind, data=None, mtime=None, notes=""):
        self.path = path
        self.kind = kind  # "file", "folder" or "stream"
        self.data = data
        self.mtime = mtime
        self.deleted = False
        self.intact = None
        self.entry_intact = True
        self.notes = [notes] if notes else []
        self.extra = {}

    @property
    def size(self):
        return len(self.data) if self.data is not None else 0

    def note(self, text):
        self.notes.append(text)

    def record(self):
        entry = {
            "path": self.path,
            "type": self.kind,
            "deleted": self.deleted,
            "size": self.size if self.kind != "folder" else 0,
            "sha256": sha256(self.data) if self.kind != "folder" else "",
            "mtime": self.mtime,
            "intact": bool(self.intact) if self.intact is not None else not self.deleted,
            "entry_intact": self.entry_intact,
        }
        entry.update(self.extra)
        entry["notes"] = "; ".join(self.notes)
        return entry


def write_manifest(path, header, objects, orphans=None):
    """JSON with one entry per line, so a change to the corpus reads well in a diff."""
    def line(value):
        return json.dumps(value, ensure_ascii=False)

    body = [f" {line(k)}: {line(v)}," for k, v in header.items()]
    rows = [o.record() for o in objects]
    body.append(' "entries": [')
    body.append(",\n".join("  " + line(r) for r in rows))
    body.append(" ],")
    body.append(' "orphans": [')
    body.append(",\n".join("  " + line(o) for o in orphans or []))
    body.append(" ]")
    text = "{\n" + "\n".join(body) + "\n}\n"
    json.loads(text)
    with open(path, "w", encoding="utf-8") as out:
        out.write(text)


def run(args, env=None, check=True, capture=True):
    result = subprocess.run(args, env=env, check=False,
                            stdout=subprocess.PIPE if capture else None,
                            stderr=subprocess.PIPE if capture else None)
    if check and result.returncode != 0:
        raise RuntimeError(f"{args!r} failed ({result.returncode}): "
                           f"{result.stderr.decode(errors='replace') if capture else ''}")
    return result


# --- The Sleuth Kit, used by the generators only to observe allocation --------

def tsk_listing(image, extra=()):
    """fls -r -p output as (inode, deleted, path) tuples."""
    out = run(["fls", "-r", "-p", *extra, image]).stdout.decode("utf-8", "replace")
    rows = []
    for line in out.splitlines():
        kinds, rest = line.split(" ", 1)
        deleted = rest.startswith("* ")
        if deleted:
            rest = rest[2:]
        inode, name = rest.split(":\t", 1)
        rows.append((inode.strip().replace("(realloc)", ""), deleted, name, kinds))
    return rows


def tsk_blocks(image, inode, attr=None):
    """Block addresses of an object from istat, 0 entries (holes) dropped.

    attr: only the block list of the attribute whose istat 'Type:' line holds
    this text (NTFS), else every listed block."""
    out = run(["istat", image, str(inode)]).stdout.decode("utf-8", "replace")
    blocks = []
    take = attr is None
    started = False
    for line in out.splitlines():
        if line.startswith("Sectors:") or line.startswith("Attributes:"):
            started = True
            continue
        if not started:
            continue
        if line.startswith("Type:"):
            take = attr is None or attr in line
            continue
        if take:
            for word in line.split():
                if word.isdigit() and int(word) != 0:
                    blocks.append(int(word))
    return blocks


def runs_of(numbers):
    runs = []
    for n in numbers:
        if runs and runs[-1][0] + runs[-1][1] == n:
            runs[-1][1] += 1
        else:
            runs.append([n, 1])
    return runs


def icat_sha(image, address):
    data = run(["icat", image, address]).stdout
    return sha256(data), len(data)
