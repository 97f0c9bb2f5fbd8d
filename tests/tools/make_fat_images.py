#!/usr/bin/env python3
"""Makes the FAT12, FAT16 and FAT32 corpus images with mkfs.fat and mtools.

Usage: make_fat_images.py OUTDIR [NAME...]

Each image gets OUTDIR/<name>.img and OUTDIR/<name>.manifest.json. The
images have no partition table: byte 0 is the boot sector.

mtools allocates clusters first-fit and reuses the first free directory
slots, which is what the step order below relies on:
  1. populate (no deletions, so every file is contiguous);
  2. punch holes (delete every other spacer) and write files into them, so
     those files are fragmented; delete one file and let a later file take
     part of its clusters;
  3. (FAT32) a filler pushes the next files above cluster 0xFFFF;
  4. final deletions, after which nothing is written any more;
  5. post-processing: directory entries of the orphan JPEGs are zeroed, and
     on FAT32 the high word of chosen deleted entries is cleared.
Which deleted files are intact is measured at the end by comparing the bytes
of the sectors each file had while it was live with its content.
"""

import datetime
import os
import random
import re
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import corpus_lib as lib  # noqa: E402

SHORT_NAME_CHARS = re.compile(r"^[A-Za-z0-9$%'`\-_@~!(){}^#&]+$")
START_TIME = 1615714012  # 2021-03-14 09:26:52 UTC, an even second

IMAGES = {
    # name: fat bits, size in KiB, sectors per cluster, volume id, seed
    "fat12": dict(bits=12, kib=1440, spc=1, volid="1A2B3C4D", seed="fat12-v1"),
    "fat16": dict(bits=16, kib=24 * 1024, spc=4, volid="2B3C4D5E", seed="fat16-v1"),
    "fat32": dict(bits=32, kib=36 * 1024, spc=1, volid="3C4D5E6F", seed="fat32-v1"),
}


def needs_long_name(name):
    """Whether a name needs long-name entries (else the 8.3 entry with its case flags holds it)."""
    base, dot, ext = name.rpartition(".")
    if not dot:
        base, ext = name, ""
    if not base or len(base) > 8 or len(ext) > 3:
        return True
    for part in (base, ext):
        if part and not SHORT_NAME_CHARS.match(part):
            return True
        if part.upper() != part and part.lower() != part:
            return True
    return False


class FatImage:
    def __init__(self, out_dir, name, bits, kib, spc, volid, seed):
        self.name = name
        self.bits = bits
        self.seed = seed
        self.rng = random.Random(seed)
        self.path = os.path.join(out_dir, name + ".img")
        self.clock = START_TIME
        self.step = 0
        self.objects = []
        self.by_path = {}
        self.post_processing = []
        self.tmp = tempfile.mkdtemp(prefix="corpus-fat-")
        if os.path.exists(self.path):
            os.remove(self.path)
        args = ["mkfs.fat", "--invariant", "-i", volid, "-C", "-F", str(bits),
                "-s", str(spc), "-S", "512", "-n", name.upper()]
        if bits == 32:
            args += ["-R", "32"]
        lib.run(args + [self.path, str(kib)])
        self._read_geometry()

    # --- geometry -----------------------------------------------------------
    def _read_geometry(self):
        info = lib.run(["fsstat", self.path]).stdout.decode()
        for line in info.splitlines():
            line = line.strip()
            if line.startswith("Sector Size:"):
                self.sector = int(line.split(":")[1])
            elif line.startswith("Cluster Size:"):
                self.cluster = int(line.split(":")[1])
            elif line.startswith("** Cluster Area:"):
                self.cluster_area = int(line.split(":")[1].split("-")[0])
            elif line.startswith("Total Cluster Range:"):
                self.last_cluster = int(line.split("-")[1])
        self.spc = self.cluster // self.sector
        self.entries_per_cluster = self.cluster // 32

    def cluster_of(self, sector):
        return (sector - self.cluster_area) // self.spc + 2

    # --- mtools --------------------------------------------------------------
    def _env(self):
        env = dict(os.environ)
        env.update(MTOOLS_SKIP_CHECK="1", TZ="UTC", LC_ALL="C.UTF-8",
                   SOURCE_DATE_EPOCH=str(self.clock))
        return env

    def _tick(self):
        self.clock += 2 * self.rng.randint(1, 3600)
        self.step += 1
        return self.clock

    def _add(self, obj):
        if obj.path in self.by_path and not self.by_path[obj.path].deleted:
            raise ValueError("path made twice: " + obj.path)
        obj.extra["step"] = self.step
        self.objects.append(obj)
        self.by_path[obj.path] = obj
        return obj

    def mkdir(self, path):
        mtime = self._tick()
        lib.run(["mmd", "-i", self.path, "::/" + path], env=self._env())
        return self._add(lib.Obj(path, "folder", mtime=mtime))

    def put(self, path, data, notes=""):
        mtime = self._tick()
        source = os.path.join(self.tmp, "f%d" % self.step)
        with open(source, "wb") as out:
            out.write(data)
        os.utime(source, (mtime, mtime))
        lib.run(["mcopy", "-m", "-i", self.path, source, "::/" + path], env=self._env())
        os.remove(source)
        return self._add(lib.Obj(path, "file", data=data, mtime=mtime, notes=notes))

    def text(self, path, size, notes=""):
        return self.put(path, lib.text_content(f"{self.seed}/{path}", size), notes)

    def delete(self, path):
        self.capture()
        obj = self.by_path[path]
        self._tick()
        lib.run(["mdel", "-i", self.path, "::/" + path], env=self._env())
        self._mark_deleted(obj)

    def deltree(self, path):
        self.capture()
        self._capture_folders(path)
        self._tick()
        lib.run(["mdeltree", "-i", self.path, "::/" + path], env=self._env())
        for obj in self.objects:
            if not obj.deleted and (obj.path == path or obj.path.startswith(path + "/")):
                self._mark_deleted(obj)
        self._keep_folder_bytes(path)

    def _mark_deleted(self, obj):
        obj.deleted = True
        obj.extra["deleted_at_step"] = self.step

    def rewind_hint(self):
        """FAT32: sets the FSInfo next-free hint to 2.

        mtools allocates on FAT32 from the hint onwards (on FAT12/16 it always
        starts at the beginning), so without this the holes would stay empty."""
        if self.bits != 32:
            return
        with open(self.path, "r+b") as image:
            boot = image.read(512)
            fsinfo = int.from_bytes(boot[0x30:0x32], "little")
            image.seek(fsinfo * self.sector + 0x1EC)
            image.write((2).to_bytes(4, "little"))
        note = ("before each write meant to fill holes, the FSInfo next-free hint was set to 2 "
                "(mtools allocates from the hint on FAT32)")
        if note not in self.post_processing:
            self.post_processing.append(note)

    # --- observation through The Sleuth Kit ----------------------------------
    def capture(self):
        """Records the sectors of every live object not yet recorded."""
        pending = [o for o in self.objects if not o.deleted and "sectors" not in o.extra]
        if not pending:
            return
        live = {name: inode for inode, deleted, name, _ in lib.tsk_listing(self.path, ["-u"])}
        for obj in pending:
            inode = live[obj.path]
            sectors = lib.tsk_blocks(self.path, inode)
            obj.extra["sectors"] = sectors
            obj.extra["inode"] = inode
            self._check_mtime(obj, inode)

    def _capture_folders(self, under):
        live = {name: inode for inode, deleted, name, _ in lib.tsk_listing(self.path, ["-u"])}
        for obj in self.objects:
            if obj.kind == "folder" and not obj.deleted and (
                    obj.path == under or obj.path.startswith(under + "/")):
                obj.extra["sectors"] = lib.tsk_blocks(self.path, live[obj.path])

    def _keep_folder_bytes(self, under):
        with open(self.path, "rb") as image:
            data = image.read()
        for obj in self.objects:
            if obj.kind == "folder" and (obj.path == under or obj.path.startswith(under + "/")):
                obj.extra["bytes_after_delete"] = self._sector_bytes(data, obj.extra["sectors"])

    def _check_mtime(self, obj, inode):
        out = lib.run(["istat", "-z", "UTC", self.path, inode]).stdout.decode()
        for line in out.splitlines():
            if line.startswith("Written:"):
                stamp = line.split("\t", 1)[1].split(" (")[0]
                seen = datetime.datetime.strptime(stamp, "%Y-%m-%d %H:%M:%S").replace(
                    tzinfo=datetime.timezone.utc).timestamp()
                if obj.kind == "file" and int(seen) != obj.mtime:
                    raise RuntimeError(f"{obj.path}: written {stamp}, expected {obj.mtime}")
                if obj.kind == "folder" and int(seen) != obj.mtime:
                    obj.note("folder time as written by mmd differs from its step clock")
                    obj.mtime = int(seen)

    def _sector_bytes(self, data, sectors):
        return b"".join(data[s * self.sector:(s + 1) * self.sector] for s in sectors)

    def clusters(self, obj):
        clusters = []
        for sector in obj.extra.get("sectors", []):
            cluster = self.cluster_of(sector)
            if not clusters or clusters[-1] != cluster:
                clusters.append(cluster)
        return clusters

    # --- directory entries, for post-processing -------------------------------
    def _dir_entries(self, data, folder_sectors):
        """(image offset, 32 bytes) of every entry slot of a folder."""
        for s in folder_sectors:
            base = s * self.sector
            for off in range(base, base + self.sector, 32):
                yield off, data[off:off + 32]

    def _find_deleted_entry(self, data, folder_sectors, first_cluster, size):
        slots = list(self._dir_entries(data, folder_sectors))
        for index, (off, raw) in enumerate(slots):
            if raw[0] != 0xE5 or raw[11] == 0x0F:
                continue
            cluster = raw[26] | raw[27] << 8 | raw[20] << 16 | raw[21] << 24
            length = int.from_bytes(raw[28:32], "little")
            if cluster == first_cluster and length == size:
                lfn = []
                back = index - 1
                while back >= 0 and slots[back][1][11] == 0x0F and slots[back][1][0] == 0xE5:
                    lfn.append(slots[back][0])
                    back -= 1
                return off, lfn
        raise RuntimeError(f"no deleted entry for cluster {first_cluster} size {size}")

    def folder_sectors(self, path):
        if path == "":
            raise ValueError("root folder is not handled here")
        live = {name: inode for inode, deleted, name, _ in lib.tsk_listing(self.path, ["-u"])}
        return lib.tsk_blocks(self.path, live[path])

    def erase_entries(self, folder, paths):
        """Zeroes the directory entries of deleted files so only a content search finds them."""
        sectors = self.folder_sectors(folder)
        with open(self.path, "r+b") as image:
            data = bytearray(image.read())
            for path in paths:
                obj = self.by_path[path]
                first = self.clusters(obj)[0]
                off, lfn = self._find_deleted_entry(data, sectors, first, obj.size)
                for slot in [off] + lfn:
                    data[slot:slot + 32] = bytes(32)
                obj.entry_intact = False
                obj.note("directory entry zeroed after deletion: only a content search finds it")
            image.seek(0)
            image.write(data)
        self.post_processing.append(
            f"zeroed the 32-byte directory entries of {len(paths)} deleted files in '{folder}' "
            "(their clusters are untouched)")

    def clear_high_words(self, folder, paths):
        """Clears the high word of the first cluster of deleted entries, as Windows does."""
        sectors = self.folder_sectors(folder)
        with open(self.path, "r+b") as image:
            data = bytearray(image.read())
            for path in paths:
                obj = self.by_path[path]
                first = self.clusters(obj)[0]
                off, _ = self._find_deleted_entry(data, sectors, first, obj.size)
                data[off + 20:off + 22] = b"\0\0"
                obj.extra["first_cluster_high_cleared"] = True
                obj.note("high word of the first cluster cleared after deletion")
            image.seek(0)
            image.write(data)
        self.post_processing.append(
            f"cleared bytes 20-21 (first cluster high word) of {len(paths)} deleted entries in "
            f"'{folder}' after mdel, which keeps them")

    def check_straddles(self, path):
        """Fails unless the long-name entries of a live file sit in two clusters of its folder."""
        obj = self.by_path[path]
        first = self.clusters(obj)[0]
        with open(self.path, "rb") as image:
            data = image.read()
        slots = list(self._dir_entries(data, self.folder_sectors(path.rsplit("/", 1)[0])))
        per_cluster = self.entries_per_cluster
        for index, (_, raw) in enumerate(slots):
            cluster = raw[26] | raw[27] << 8 | raw[20] << 16 | raw[21] << 24
            if raw[0] not in (0, 0xE5) and raw[11] != 0x0F and cluster == first:
                lfn = 0
                while slots[index - lfn - 1][1][11] == 0x0F:
                    lfn += 1
                if (index - lfn) // per_cluster == index // per_cluster:
                    raise RuntimeError(f"{path}: entries {index - lfn}..{index} in one cluster")
                obj.extra["entry_slots"] = [index - lfn, index]
                return
        raise RuntimeError(f"{path}: entry not found")

    # --- results ---------------------------------------------------------------
    def finish(self, expected_reused, orphan_paths):
        with open(self.path, "rb") as image:
            data = image.read()
        for obj in self.objects:
            obj.extra["lfn"] = needs_long_name(obj.path.rsplit("/", 1)[-1])
            if "sectors" in obj.extra and obj.kind == "file":
                clusters = self.clusters(obj)
                obj.extra["first_cluster"] = clusters[0] if clusters else 0
                obj.extra["clusters"] = lib.runs_of(clusters)
                obj.extra["fragments"] = len(obj.extra["clusters"])
            if not obj.deleted:
                obj.intact = True
                continue
            if obj.kind == "folder":
                now = self._sector_bytes(data, obj.extra["sectors"])
                obj.intact = now == obj.extra["bytes_after_delete"]
            else:
                now = self._sector_bytes(data, obj.extra["sectors"])[:obj.size]
                obj.intact = lib.sha256(now) == lib.sha256(obj.data)
            expected = obj.path not in expected_reused
            if obj.intact != expected:
                raise RuntimeError(f"{obj.path}: intact {obj.intact}, expected {expected}")
            obj.note("intact measured: bytes of its former sectors compared with its content")
            if obj.kind != "stream":
                if obj.extra["lfn"]:
                    obj.note("deleted long name: a reader takes the first character from the "
                             "long-name entries")
                else:
                    obj.note("deleted 8.3 name: its first character is lost (0xE5)")
        orphans = []
        for path in orphan_paths:
            obj = self.by_path[path]
            orphans.append({"path": path, "first_cluster": obj.extra["first_cluster"],
                            "size": obj.size, "sha256": lib.sha256(obj.data), "type": "jpeg"})
        orphans.sort(key=lambda o: o["first_cluster"])
        for obj in self.objects:
            obj.extra.pop("sectors", None)
            obj.extra.pop("bytes_after_delete", None)
            obj.extra.pop("inode", None)
        header = {
            "image": self.name + ".img",
            "fs": "FAT%d" % self.bits,
            "bytes_per_sector": self.sector,
            "bytes_per_cluster": self.cluster,
            "first_cluster_sector": self.cluster_area,
            "last_cluster": self.last_cluster,
            "generator": "tests/tools/make_fat_images.py",
            "seed": self.seed,
            "time_zone": "UTC (FAT times are local times; the generator ran with TZ=UTC)",
            "post_processing": self.post_processing,
        }
        lib.write_manifest(self.path[:-4] + ".manifest.json", header, self.objects, orphans)


def populate(img, bits):
    """Step 1: folders and files, no deletions (everything contiguous)."""
    c = img.cluster
    epc = img.entries_per_cluster
    for folder in ["DOCS", "DOCS/REPORTS", "DOCS/REPORTS/Archive 2019",
                   "DOCS/REPORTS/Archive 2019/Q4", "Ünïcode Ördner", "CAMERA", "STRADDLE",
                   "Old Project", "Old Project/src", "Old Project/docs", "Old Project/LOGS",
                   "TRASH", "SPACERS", "FRAG"]:
        img.mkdir(folder)
    img.text("README.TXT", 3000)
    img.text("Quarterly financial summary 2019.txt", 5 * c + 17,
             "long name of 36 characters: three long-name entries")
    img.put("EMPTY.TXT", b"", "empty file: no cluster")
    img.put("Empty file with a long name.dat", b"", "empty file: no cluster")
    img.put("ONECLUS.BIN", lib.block_content(f"{img.seed}/ONECLUS", c, 128),
            "exactly one cluster")
    img.text("Résumé für Zoë.txt", 1234, "non-ASCII long name")
    img.text("Ünïcode Ördner/Ελληνικά και Русский.txt", 2345, "non-ASCII folder and name")
    img.text("DOCS/NOTES.TXT", 700)
    img.text("DOCS/REPORTS/REPORT1.TXT", 2 * c + 5)
    img.text("DOCS/REPORTS/Archive 2019/Q4/final numbers.csv", 4000, "four levels deep")
    img.text("DOCS/PARTIAL.TXT", 6 * c - 40, "deleted later; a later file takes part of it")

    for i in range(1, 5):
        img.put(f"CAMERA/IMG_000{i}.JPG",
                lib.make_jpeg(f"{img.seed}/IMG{i}", 48, 32, (2 + i) * c - 100 * i))
    img.put("CAMERA/Holiday picture at the beach.jpg",
            lib.make_jpeg(f"{img.seed}/holiday", 64, 48, 4 * c + 300))
    img.put("CAMERA/IMG_0005.JPG", lib.make_jpeg(f"{img.seed}/IMG5", 32, 32, 3 * c + 11),
            "deleted later, entry kept")
    img.put("CAMERA/Deleted sunset photo.jpg",
            lib.make_jpeg(f"{img.seed}/sunset", 40, 40, 5 * c - 7), "deleted later, entry kept")

    # A long name that starts two slots before the end of the folder's first
    # cluster, so its entries sit in two clusters; a second one around the
    # next boundary is deleted later.
    for i in range(epc - 4):
        img.text(f"STRADDLE/F{i:03d}.TXT", 40 + i)
    img.text("STRADDLE/This name crosses a cluster boundary.txt", 900,
             "its long-name entries straddle a cluster boundary of the folder")
    for i in range(epc - 4, 2 * epc - 9):
        img.text(f"STRADDLE/F{i:03d}.TXT", 40 + i)
    img.text("STRADDLE/Deleted name across the next boundary.txt", 1300,
             "deleted later; its entries straddle the folder's second cluster boundary")

    img.text("Old Project/src/main.c", 1500)
    img.text("Old Project/src/Utility functions.c", 2 * c + 100)
    img.text("Old Project/docs/readme.txt", 800)
    img.put("Old Project/docs/diagram.jpg", lib.make_jpeg(f"{img.seed}/diagram", 32, 24, 2 * c + 50))
    for i in range(epc + 6):
        img.text(f"Old Project/LOGS/LOG{i:04d}.TXT", 60 + 3 * i)

    img.text("TRASH/OLD.TXT", 1000)
    img.text("TRASH/Deleted long name document.txt", 3 * c - 1)
    img.text("TRASH/Ünïcode gelöscht.txt", 555)
    img.put("TRASH/ZERO.TXT", b"", "empty, deleted")
    img.put("TRASH/EXACT.BIN", lib.block_content(f"{img.seed}/EXACT", c, 128),
            "exactly one cluster, deleted")

    # Written last in their folder so that, once zeroed, their slots end it.
    for i in range(1, 4):
        img.put(f"CAMERA/ORPHAN0{i}.JPG",
                lib.make_jpeg(f"{img.seed}/orphan{i}", 32 + 8 * i, 24, (2 + 2 * i) * c - 33 * i))
    img.capture()
    img.check_straddles("STRADDLE/This name crosses a cluster boundary.txt")
    img.check_straddles("STRADDLE/Deleted name across the next boundary.txt")


def fragment(img):
    """Step 2: holes, fragmented files, partial reuse."""
    c = img.cluster
    for i in range(1, 61):
        img.put(f"SPACERS/S{i:03d}.BIN", lib.block_content(f"{img.seed}/S{i}", 2 * c, 128))
    for i in range(1, 61, 2):
        img.delete(f"SPACERS/S{i:03d}.BIN")
    img.rewind_hint()
    img.text("FRAG/Fragmented live file.bin", 23 * c - 100, "fills spacer holes: fragmented")
    img.rewind_hint()
    img.text("FRAG/FRAGDEL.BIN", 22 * c - 3, "fragmented, deleted later")
    img.rewind_hint()
    img.text("FRAG/Fragmented and deleted with long name.bin", 22 * c + 9,
             "fragmented, deleted later")
    img.capture()
    img.delete("DOCS/PARTIAL.TXT")
    img.rewind_hint()
    img.text("DOCS/REPORTS/REUSER.TXT", 2 * c - 8, "took the first clusters of DOCS/PARTIAL.TXT")
    img.capture()
    for path in ["FRAG/Fragmented live file.bin", "FRAG/FRAGDEL.BIN",
                 "FRAG/Fragmented and deleted with long name.bin"]:
        if len(lib.runs_of(img.by_path[path].extra["sectors"])) < 2:
            raise RuntimeError(path + " is not fragmented")


HIGH_KEEP = ["HIGH/HIKEEP1.BIN", "HIGH/High cluster kept with long name.bin"]
HIGH_CLEAR = ["HIGH/HICLR1.BIN", "HIGH/HICLR2.BIN", "HIGH/High cluster cleared long name.bin"]


def fill_high(img):
    """Step 3 (FAT32): a filler so the next files start above cluster 0xFFFF."""
    c = img.cluster
    img.mkdir("HIGH")
    img.capture()
    top = max(img.cluster_of(s) for o in img.objects for s in o.extra.get("sectors", []))
    filler_clusters = 0x10000 + 8 - (top + 1)
    img.put("FILLER.BIN", lib.block_content(f"{img.seed}/FILLER", filler_clusters * c, c),
            "fills the low clusters")
    img.text("HIGH/HILIVE.BIN", 3 * c + 1, "live, first cluster above 0xFFFF")
    for i, path in enumerate(HIGH_KEEP + HIGH_CLEAR):
        img.text(path, (2 + i) * c - 5 * i, "first cluster above 0xFFFF, deleted later")
    img.capture()
    for path in ["HIGH/HILIVE.BIN"] + HIGH_KEEP + HIGH_CLEAR:
        first = img.cluster_of(img.by_path[path].extra["sectors"][0])
        if first <= 0xFFFF:
            raise RuntimeError(f"{path} starts at cluster {first:#x}")


def final_deletions(img, bits):
    for path in ["TRASH/OLD.TXT", "TRASH/Deleted long name document.txt",
                 "TRASH/Ünïcode gelöscht.txt", "TRASH/ZERO.TXT", "TRASH/EXACT.BIN",
                 "CAMERA/IMG_0005.JPG", "CAMERA/Deleted sunset photo.jpg",
                 "FRAG/FRAGDEL.BIN", "FRAG/Fragmented and deleted with long name.bin",
                 "STRADDLE/Deleted name across the next boundary.txt",
                 "CAMERA/ORPHAN01.JPG", "CAMERA/ORPHAN02.JPG", "CAMERA/ORPHAN03.JPG"]:
        img.delete(path)
    img.deltree("Old Project")
    if bits == 32:
        for path in HIGH_KEEP + HIGH_CLEAR:
            img.delete(path)


def build(out_dir, name):
    plan = IMAGES[name]
    img = FatImage(out_dir, name, plan["bits"], plan["kib"], plan["spc"], plan["volid"],
                   plan["seed"])
    populate(img, plan["bits"])
    fragment(img)
    if plan["bits"] == 32:
        fill_high(img)
    final_deletions(img, plan["bits"])
    orphans = ["CAMERA/ORPHAN01.JPG", "CAMERA/ORPHAN02.JPG", "CAMERA/ORPHAN03.JPG"]
    # Cluster lists must exist before post-processing looks entries up.
    for obj in img.objects:
        if obj.kind == "file" and "sectors" in obj.extra:
            clusters = img.clusters(obj)
            obj.extra["first_cluster"] = clusters[0] if clusters else 0
    img.erase_entries("CAMERA", orphans)
    if plan["bits"] == 32:
        img.clear_high_words("HIGH", HIGH_CLEAR)
    reused = {f"SPACERS/S{i:03d}.BIN" for i in range(1, 61, 2)} | {"DOCS/PARTIAL.TXT"}
    img.finish(reused, orphans)
    return img


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for name in sys.argv[2:] or list(IMAGES):
        img = build(out_dir, name)
        print(f"{name}: {len(img.objects)} entries -> {img.path}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
