#!/usr/bin/env python3
"""Seeds for the libFuzzer targets, cut from the corpus images in tests/data.

    make_fuzz_seeds.py OUT_ROOT [TARGET...]

writes OUT_ROOT/TARGET/seed-N for each target it knows (all of them when none is named): the
pieces of real volumes that each target's input stands for, so that fuzzing starts from boot
sectors, directories, MFT records, run lists and compressed units that the file systems' own
tools wrote instead of from nothing; the settings target starts from settings files as the
program writes them, and the partitions information target from such files as it saves them.
Standard library only; a target it does not know gets no seeds and starts empty.
"""
import json
import lzma
import struct
import sys
from pathlib import Path

DATA = Path(__file__).resolve().parent.parent / "data"
FAT_IMAGES = ("fat12", "fat16", "fat32")
NTFS_IMAGES = ("ntfs512", "ntfs4k", "ntfs4kn")
SEED_BYTES = 64 * 1024


def load_image(name, cache={}):
    if name not in cache:
        with lzma.open(DATA / f"{name}.img.xz") as stream:
            cache[name] = stream.read()
    return cache[name]


def manifest(name):
    return json.loads((DATA / f"{name}.manifest.json").read_text(encoding="utf-8"))


# ---- FAT ---------------------------------------------------------------------------------------

def fat_geometry(image):
    sector = struct.unpack_from("<H", image, 11)[0]
    per_cluster = image[13]
    reserved = struct.unpack_from("<H", image, 14)[0]
    fats = image[16]
    root_entries = struct.unpack_from("<H", image, 17)[0]
    per_fat = struct.unpack_from("<H", image, 22)[0] or struct.unpack_from("<I", image, 36)[0]
    root_at = (reserved + fats * per_fat) * sector
    root_bytes = root_entries * 32
    data_at = root_at + -(-root_bytes // sector) * sector
    return {"sector": sector, "cluster": sector * per_cluster, "root_at": root_at,
            "root_bytes": root_bytes, "data_at": data_at}


def fat_root_directory(image):
    g = fat_geometry(image)
    if g["root_bytes"]:
        return image[g["root_at"]:g["root_at"] + g["root_bytes"]]
    return image[g["data_at"]:g["data_at"] + 4096]  # FAT32: the root starts the data area


def fat_volume_seeds():
    """Mode byte 3 takes the input as a whole image; 0 to 2 put it in a FAT12/16/32 root."""
    for mode, name in enumerate(FAT_IMAGES):
        image = load_image(name)
        yield bytes([3]) + image[:SEED_BYTES]
        yield bytes([mode]) + fat_root_directory(image)


def fat_file_contents():
    for name in FAT_IMAGES:
        image = load_image(name)
        g = fat_geometry(image)
        m = manifest(name)
        files = [e for e in m["entries"] if e["type"] == "file"] + m.get("orphans", [])
        for entry in files:
            first = entry.get("first_cluster") or entry.get("extra", {}).get("first_cluster")
            if not first or entry.get("fragments", 1) != 1 or entry["size"] == 0:
                continue
            at = g["data_at"] + (first - 2) * g["cluster"]
            yield entry["path"], image[at:at + min(entry["size"], SEED_BYTES)]


def file_type_seeds():
    """First byte picks the type the plug-in searches for; the rest is the volume."""
    kept = 0
    for path, content in fat_file_contents():
        if path.lower().endswith((".jpg", ".jpeg")) and kept < 12:
            kept += 1
            yield bytes([0]) + content


def name_seeds():
    for name in FAT_IMAGES + NTFS_IMAGES:
        for entry in manifest(name)["entries"][:200]:
            yield entry["path"].rsplit("/", 1)[-1].encode("utf-8")


# ---- NTFS --------------------------------------------------------------------------------------

def ntfs_geometry(image):
    sector = struct.unpack_from("<H", image, 11)[0]
    cluster = sector * image[13]
    mft_lcn = struct.unpack_from("<Q", image, 0x30)[0]
    raw = struct.unpack_from("<b", image, 0x40)[0]
    record = cluster * raw if raw > 0 else 1 << -raw
    return {"cluster": cluster, "mft_at": mft_lcn * cluster, "record": record}


def ntfs_records(name, limit=160):
    image = load_image(name)
    g = ntfs_geometry(image)
    for number in range(limit):
        at = g["mft_at"] + number * g["record"]
        record = image[at:at + g["record"]]
        if record[:4] == b"FILE":
            yield number, record


def attributes(record):
    at = struct.unpack_from("<H", record, 20)[0]
    while at + 16 <= len(record):
        kind, length = struct.unpack_from("<II", record, at)
        if kind == 0xFFFFFFFF or length < 16 or at + length > len(record):
            return
        yield kind, record[at:at + length]
        at += length


def run_list(attribute):
    if attribute[8] == 0:
        return None
    return attribute[struct.unpack_from("<H", attribute, 32)[0]:]


def decode_runs(runs):
    """(lcn or None, length) pairs of a run list; None for sparse runs."""
    lcn, at = 0, 0
    while at < len(runs) and runs[at] != 0:
        length_bytes, offset_bytes = runs[at] & 0x0F, runs[at] >> 4
        at += 1
        length = int.from_bytes(runs[at:at + length_bytes], "little")
        at += length_bytes
        if offset_bytes == 0:
            yield None, length
        else:
            lcn += int.from_bytes(runs[at:at + offset_bytes], "little", signed=True)
            yield lcn, length
        at += offset_bytes


def ntfs_record_seeds():
    # The fuzz volume has 4096-byte clusters and 1024-byte records: ntfs4k matches it.
    for _, record in ntfs_records("ntfs4k"):
        yield record


def ntfs_run_list_seeds():
    for name in NTFS_IMAGES:
        for _, record in ntfs_records(name):
            for _, attribute in attributes(record):
                runs = run_list(attribute)
                if runs:
                    yield b"\x00\xff" + runs[:256]


def compressed_units():
    for name in NTFS_IMAGES:
        image = load_image(name)
        cluster = ntfs_geometry(image)["cluster"]
        for _, record in ntfs_records(name, limit=4096):
            for kind, attribute in attributes(record):
                if kind != 0x80 or attribute[8] == 0 or not attribute[12] & 0x01:
                    continue
                unit = b""
                for lcn, length in decode_runs(run_list(attribute)):
                    if lcn is None or len(unit) >= 16 * cluster:
                        break
                    unit += image[lcn * cluster:(lcn + length) * cluster]
                if unit:
                    yield unit[:16 * 4096]


def lznt1_seeds():
    for count, unit in enumerate(compressed_units()):
        if count == 24:
            return
        yield unit


def boot_sector_seeds():
    for name in FAT_IMAGES + NTFS_IMAGES:
        yield load_image(name)[:4096]


# ---- Settings file ------------------------------------------------------------------------------

def settings_value(kind, value):
    return {"type": kind, "value": value}


def settings_document():
    """A settings file as the program writes it, every kind of value in it."""
    placement = struct.pack("<11I", 44, 0, 3, 0, 0, 0, 0, 10, 20, 810, 620).hex()
    columns = (struct.pack("<II", 0x31434C46, 2) + struct.pack("<iII", 120, 1, 1)
               + struct.pack("<iII", 80, 0, 0)).hex()
    return {
        "Settings": {
            "Options": {"strRecoverOutputFolder": settings_value("REG_SZ", "/home/u/Recovered Files/"),
                        "bRecoverAllFiles": settings_value("REG_DWORD", 1),
                        "bUseFileType": settings_value("REG_DWORD", 0)},
            "Misc": {"dwTipFilePos": settings_value("REG_DWORD", 512),
                     "strLastSearchString": settings_value("REG_SZ", "report.doc")},
            "Partitions": {"dwScanFS": settings_value("REG_DWORD", 4294967295),
                           "nLastSelectedDisk": settings_value("REG_DWORD", 4294967295)},
        },
        "GUI": {
            "MainWnd": {"WPData": settings_value("REG_BINARY", placement)},
            "MainSplitterWidth": {"dwSplitterWidth": settings_value("REG_DWORD", 240)},
            "FLC": {"Columns": settings_value("REG_BINARY", columns)},
        },
    }


def settings_seeds():
    document = settings_document()
    text = json.dumps(document, indent=2).encode("utf-8")
    yield text
    yield text[:len(text) // 2]  # cut short by a crash of some other writer
    # Values of the wrong kind or shape where the options are.
    options = document["Settings"]["Options"]
    options["bRecoverAllFiles"] = settings_value("REG_SZ", "1")
    options["bUseFileType"] = settings_value("REG_DWORD", -1)
    document["Settings"]["Misc"]["dwTipFilePos"] = settings_value("REG_DWORD", 1.5)
    document["GUI"]["MainWnd"]["WPData"] = settings_value("REG_BINARY", "2c00")
    yield json.dumps(document).encode("utf-8")


# ---- Partitions information file ---------------------------------------------------------------

OVP_MAGIC = b"OVPARTITIONS"


def ovp_record(kind, bytes_per_sector, first, count, boot):
    return struct.pack("<IIIQQ", 512, kind, bytes_per_sector, first, count) + boot[:512]


def ovp_file(records, count=None):
    count = len(records) if count is None else count
    return OVP_MAGIC + struct.pack("<HII", 512, 1, count) + b"".join(records)


def ovp_seeds():
    """Partitions files as the program saves them, with the corpus volumes' boot sectors."""
    records = []
    for kind, name in [(1, "fat12"), (1, "fat16"), (1, "fat32"), (2, "ntfs512"), (2, "ntfs4k")]:
        image = load_image(name)
        sector = struct.unpack_from("<H", image, 11)[0]
        records.append(ovp_record(kind, sector, 2048 * len(records), len(image) // sector, image))
    yield ovp_file(records)
    yield ovp_file(records[:1])
    yield ovp_file([])
    yield ovp_file(records[:2], count=3)  # the count promises more than the file holds
    yield ovp_file(records[:2] + [ovp_record(3, 512, 1, 1, bytes(512))])
    yield ovp_file(records)[:-100]


# Targets whose input is a whole small volume (FAT trees and walks) or a record of the NTFS fuzz
# volume share the generators above.
TARGETS = {
    "fat_fuzz": fat_volume_seeds,
    "fat_recovery_fuzz": fat_volume_seeds,
    "ntfs_record_fuzz": ntfs_record_seeds,
    "ntfs_tree_fuzz": ntfs_record_seeds,
    "ntfs_run_list_fuzz": ntfs_run_list_seeds,
    "ntfs_lznt1_fuzz": lznt1_seeds,
    "detect_fuzz": boot_sector_seeds,
    "safe_names_fuzz": name_seeds,
    "fuzz_typeprobe": file_type_seeds,
    "settings_fuzz": settings_seeds,
    "ovp_fuzz": ovp_seeds,
}


def write_seeds(root, target):
    folder = root / target
    folder.mkdir(parents=True, exist_ok=True)
    seen = set()
    for seed in TARGETS[target]():
        if seed not in seen:
            seen.add(seed)
            (folder / f"seed-{len(seen)}").write_bytes(seed)
    return len(seen)


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    root = Path(argv[1])
    for target in argv[2:] or TARGETS:
        if target not in TARGETS:
            print(f"make_fuzz_seeds: no seeds for {target}; it starts empty")
            continue
        print(f"make_fuzz_seeds: {target}: {write_seeds(root, target)} seeds")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
