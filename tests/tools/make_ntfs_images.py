#!/usr/bin/env python3
"""Makes the NTFS corpus images with mkntfs and an ntfs-3g FUSE mount (root only).

Usage: make_ntfs_images.py OUTDIR [NAME...]

Each image gets OUTDIR/<name>.img and OUTDIR/<name>.manifest.json; byte 0 is
the boot sector. The volume is mounted with streams_interface=windows (a
write to "name:stream" makes an alternate stream) and compression.

ntfs-3g keeps files contiguous when it can, so fragmentation is forced:
  1. populate, including spacer files and the (still empty) files that are
     to be fragmented;
  2. filler files take all the free space; every other spacer (in disk
     order) is truncated to 0 bytes, so the holes are the only free clusters;
     the empty files are written into them, the last one into everything
     left, including the clusters of a file deleted just before; the fillers
     are deleted;
  3. remount; delete the folder "Gone"; remount; a new file takes the lowest
     free MFT record, which is the one of "Gone", so its children lose their
     parent;
  4. final deletions, after which nothing is written any more.
A deleted file counts as intact when icat of its MFT record still returns
its content on the finished image; its record counts as intact when no later
file took the same record number.
"""

import errno
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import corpus_lib as lib  # noqa: E402

START_TIME = 1623412345  # 2021-06-11 11:52:25 UTC

IMAGES = {
    # name: cluster bytes, sector bytes, volume MiB, resident files, small holes
    "ntfs512": dict(cluster=512, sector=512, mib=48, many=2000, holes=320, seed="ntfs512-v1"),
    "ntfs4k": dict(cluster=4096, sector=512, mib=64, many=1500, holes=320, seed="ntfs4k-v1"),
    "ntfs4kn": dict(cluster=4096, sector=4096, mib=64, many=1000, holes=1400, seed="ntfs4kn-v1"),
}

BIG_HOLES = 40
BIG_SPACER = 64 * 1024
COMPRESSED = 0x800
DEEP = [f"level {i:02d} of a deep folder path" for i in range(1, 13)]


class NtfsImage:
    def __init__(self, out_dir, name, cluster, sector, mib, seed):
        self.name = name
        self.cluster = cluster
        self.sector = sector
        self.seed = seed
        self.rng = random.Random(seed)
        self.path = os.path.join(out_dir, name + ".img")
        self.mnt = tempfile.mkdtemp(prefix="corpus-ntfs-")
        self.clock = START_TIME
        self.objects = []
        self.by_path = {}
        self.session = 0
        self.proc = None
        self.post_processing = []
        self._istat_cache = {}
        if os.path.exists(self.path):
            os.remove(self.path)
        with open(self.path, "wb") as image:
            image.truncate(mib * 1024 * 1024)
        lib.run(["mkntfs", "-F", "-f", "-q", "-T", "-c", str(cluster), "-s", str(sector),
                 "-L", name.upper(), self.path])
        self._read_geometry()

    def _read_geometry(self):
        info = lib.run(["fsstat", self.path]).stdout.decode()
        for line in info.splitlines():
            if line.startswith("Size of MFT Entries:"):
                self.record_size = int(line.split(":")[1].split()[0])
            elif line.startswith("Total Cluster Range:"):
                self.last_cluster = int(line.split("-")[1])

    # --- mounting ------------------------------------------------------------------
    def mount(self):
        self.session += 1
        self.proc = subprocess.Popen(
            ["ntfs-3g", "-o", "streams_interface=windows,compression,no_detach",
             self.path, self.mnt], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.ismount(self.mnt):
                return
            time.sleep(0.1)
        raise RuntimeError("ntfs-3g did not mount " + self.path)

    def umount(self):
        lib.run(["umount", self.mnt])
        if self.proc.wait(timeout=120) != 0:
            raise RuntimeError("ntfs-3g ended with an error")
        self.proc = None

    def real(self, path):
        return os.path.join(self.mnt, path)

    # --- making things ---------------------------------------------------------------
    def _tick(self):
        self.clock += self.rng.randint(1, 7200)
        return self.clock

    def _add(self, obj):
        obj.extra["session"] = self.session
        host = obj.path.split(":")[0]
        obj.extra["mft_record"] = os.stat(self.real(host)).st_ino
        self.objects.append(obj)
        self.by_path[obj.path] = obj
        return obj

    def mkdir(self, path, compressed=False):
        os.mkdir(self.real(path))
        if compressed:
            os.setxattr(self.real(path), "system.ntfs_attrib_be", COMPRESSED.to_bytes(4, "big"))
        obj = self._add(lib.Obj(path, "folder", mtime=self._tick()))
        if compressed:
            obj.note("compressed attribute set: files made in it are compressed")
        return obj

    def put(self, path, data, notes=""):
        with open(self.real(path), "wb") as out:
            out.write(data)
        return self._add(lib.Obj(path, "file", data=data, mtime=self._tick(), notes=notes))

    def text(self, path, size, notes=""):
        return self.put(path, lib.text_content(f"{self.seed}/{path}", size), notes)

    def stream(self, host, name, data, notes=""):
        path = f"{host}:{name}"
        with open(self.real(path), "wb") as out:
            out.write(data)
        obj = self._add(lib.Obj(path, "stream", data=data, notes=notes))
        obj.mtime = None
        return obj

    def sparse(self, path, pieces, size, notes=""):
        """pieces: (offset, bytes) written into an otherwise unwritten file."""
        data = bytearray(size)
        with open(self.real(path), "wb") as out:
            for offset, piece in pieces:
                out.seek(offset)
                out.write(piece)
                data[offset:offset + len(piece)] = piece
            out.truncate(size)
        return self._add(lib.Obj(path, "file", data=bytes(data), mtime=self._tick(), notes=notes))

    def write_into(self, path, data):
        """Writes a file made earlier (empty) now, one cluster at a time."""
        obj = self.by_path[path]
        with open(self.real(path), "r+b", buffering=0) as out:
            for offset in range(0, len(data), self.cluster):
                out.write(data[offset:offset + self.cluster])
        obj.data = data
        obj.mtime = self._tick()

    def by_position(self, paths):
        """paths sorted by their first cluster (read with istat while unmounted).

        ntfs-3g spreads consecutive small files over more than one region, so
        "every other file" only punches small holes when taken in disk order."""
        self.umount()
        first = {}
        for path in paths:
            out = lib.run(["istat", "-r", self.path, str(self.by_path[path].extra["mft_record"])])
            for line in out.stdout.decode().splitlines():
                if "Starting address:" in line:
                    first[path] = int(line.split("Starting address:")[1].split(",")[0])
                    break
        self.mount()
        return sorted(paths, key=lambda p: first[p])

    def free_bytes(self):
        info = os.statvfs(self.mnt)
        return info.f_bfree * info.f_frsize

    def truncate_to_zero(self, path):
        os.truncate(self.real(path), 0)
        self.by_path[path].data = b""

    def delete(self, path):
        target = self.real(path)
        for obj in self.objects:
            if obj.path == path or obj.path.startswith(path + "/") or \
                    obj.path.startswith(path + ":"):
                if not obj.deleted:
                    obj.deleted = True
                    obj.extra["deleted_in_session"] = self.session
        if os.path.isdir(target):
            shutil.rmtree(target)
        else:
            os.remove(target)

    def set_times(self):
        """Sets the modification time of every live object, deepest first, last of all."""
        for obj in sorted(self.objects, key=lambda o: -o.path.count("/")):
            if obj.deleted or obj.kind == "stream":
                continue
            os.utime(self.real(obj.path), (obj.mtime, obj.mtime))

    def set_time(self, path):
        obj = self.by_path[path]
        os.utime(self.real(path), (obj.mtime, obj.mtime))

    def fill(self, folder):
        """Writes files of 1 MiB into folder until the volume is full.

        Many files rather than one: a single filler would get so many
        fragments that its record overflows, and the volume would never fill."""
        block = lib.block_content(f"{self.seed}/filler", 1 << 20, self.cluster)
        index = 0
        full = False
        while not full:
            path = f"{folder}/fill_{index:03d}.bin"
            try:
                fd = os.open(self.real(path), os.O_WRONLY | os.O_CREAT)
            except OSError as error:
                if error.errno != errno.ENOSPC:
                    raise
                break
            written = bytearray()
            chunk = len(block)
            try:
                while len(written) < len(block) and chunk >= self.cluster:
                    piece = block[len(written):len(written) + chunk]
                    try:
                        done = os.write(fd, piece)
                        written += piece[:done]
                        if done < len(piece):
                            full = True
                            chunk //= 2
                    except OSError as error:
                        if error.errno != errno.ENOSPC:
                            raise
                        full = True
                        chunk //= 2
            finally:
                os.close(fd)
            data = bytes(written)
            self._add(lib.Obj(path, "file", data=data, mtime=self._tick(),
                              notes="fills the volume while holes are punched"))
            index += 1

    # --- results ------------------------------------------------------------------
    def finish(self, expected_lost):
        # The newest object with a record number owns it; older ones lost it.
        newest = {}
        for index, obj in enumerate(self.objects):
            if obj.kind != "stream":
                newest[obj.extra["mft_record"]] = index
        for obj in self.objects:
            host = self.objects.index(self.by_path[obj.path.split(":")[0]])
            if host < newest[obj.extra["mft_record"]]:
                obj.entry_intact = False
                obj.note(f"MFT record {obj.extra['mft_record']} was taken by a later file")
        for obj in self.objects:
            self._describe(obj)
            if not obj.deleted:
                obj.intact = True
                continue
            if obj.kind == "folder":
                obj.intact = obj.entry_intact
                obj.mtime = None
                obj.note("time not recorded: deleting its contents changed it")
                continue
            obj.intact = obj.entry_intact and self._icat_matches(obj)
            expected = obj.path not in expected_lost
            if obj.intact != expected and not obj.path.startswith("Filler/"):
                raise RuntimeError(f"{obj.path}: intact {obj.intact}, expected {expected}")
            obj.note("intact checked with icat on the finished image")
        header = {
            "image": self.name + ".img",
            "fs": "NTFS",
            "bytes_per_sector": self.sector,
            "bytes_per_cluster": self.cluster,
            "bytes_per_mft_record": self.record_size,
            "last_cluster": self.last_cluster,
            "generator": "tests/tools/make_ntfs_images.py",
            "seed": self.seed,
            "post_processing": self.post_processing,
        }
        lib.write_manifest(self.path[:-4] + ".manifest.json", header, self.objects)

    def _istat(self, record):
        """istat -r of a record (runs instead of block lists), read once."""
        if record not in self._istat_cache:
            self._istat_cache[record] = lib.run(["istat", "-r", self.path, str(record)]).stdout \
                .decode("utf-8", "replace")
        return self._istat_cache[record]

    def _data_attribute(self, obj, istat):
        """The istat 'Type:' line of the object's data attribute."""
        stream = obj.path.split(":", 1)[1] if obj.kind == "stream" else "N/A"
        for line in istat.splitlines():
            if line.startswith("Type: $DATA") and f"Name: {stream} " in line:
                return line
        return None

    def _describe(self, obj):
        if not obj.entry_intact:
            return
        istat = self._istat(obj.extra["mft_record"])
        name = obj.path.split(":")[0].rsplit("/", 1)[-1]
        if f"Name: {name}\n" not in istat:
            if not obj.deleted:
                raise RuntimeError(f"{obj.path}: record {obj.extra['mft_record']} names another file")
            obj.entry_intact = False
            obj.note(f"MFT record {obj.extra['mft_record']} was reused (found with istat)")
            return
        obj.extra["attribute_list"] = "Type: $ATTRIBUTE_LIST" in istat
        if obj.kind == "folder":
            return
        line = self._data_attribute(obj, istat)
        if line is None:
            raise RuntimeError(f"{obj.path}: no data attribute in istat")
        obj.extra["resident"] = " Resident" in line
        obj.extra["compressed"] = "Compressed" in line
        obj.extra["sparse"] = "Sparse" in line
        obj.extra["tsk_attribute"] = line.split("(")[1].split(")")[0]
        if not obj.extra["resident"]:
            obj.extra["fragments"] = self._count_runs(istat, obj.extra["tsk_attribute"])

    @staticmethod
    def _count_runs(istat_runs, attr_id):
        count = 0
        inside = False
        for line in istat_runs.splitlines():
            if line.startswith("Type:"):
                inside = f"({attr_id})" in line
            elif inside and "Starting address:" in line and not line.rstrip().endswith("Sparse"):
                count += 1
        return count

    def _icat_matches(self, obj):
        address = f"{obj.extra['mft_record']}-{obj.extra['tsk_attribute']}"
        digest, _ = lib.icat_sha(self.path, address)
        return digest == lib.sha256(obj.data)


def populate(img, plan):
    c = img.cluster
    for folder in ["Documents", "Documents/Projects", "Documents/Projects/Alpha",
                   "Documents/Projects/Beta Ω", "Ünïcødé", "Ünïcødé/日本語", "Many", "Spacers",
                   "Big", "Sparse", "Streams", "Trash", "Trash/Inner", "Trash/Inner/Deepest",
                   "Gone", "Gone/Sub folder"]:
        img.mkdir(folder)
    img.mkdir("Compressed", compressed=True)
    deep = "Deep"
    img.mkdir(deep)
    for level in DEEP:
        deep += "/" + level
        img.mkdir(deep)

    img.text("Documents/report.txt", 20000)
    img.text("Documents/Projects/Alpha/plan.md", 300, "resident data")
    img.text("Documents/Projects/Beta Ω/data.csv", 50000)
    img.text("Documents/deleted_resident.txt", 400, "resident, deleted later")
    img.text("Documents/overwritten.bin", 40 * c,
             "deleted when the volume was full; Big/fragmented_deleted.bin took its clusters")
    img.text("Ünïcødé/日本語/ファイル名.txt", 3000, "non-ASCII name")
    img.text("Ünïcødé/日本語/削除済みのファイル.txt", 6000, "non-ASCII name, deleted later")
    img.text("Ünïcødé/Ελληνικά αρχεία.txt", 500)
    img.text("Résumé für Zoë.txt", 7000)
    img.put("empty.txt", b"", "empty file")
    img.text(deep + "/bottom of the deep path.txt", 2500, "path longer than 260 characters")
    img.text(deep + "/deleted at the bottom.txt", 900, "deep, deleted later")

    for i in range(plan["many"]):
        img.text(f"Many/file_{i:04d}.txt", 40 + (i * 37) % 560, "resident data")

    img.text("Compressed/compressed_text.txt", 200000, "compressed")
    img.text("Compressed/compressed_small.txt", 9000, "compressed")
    img.text("Compressed/compressed_deleted.txt", 120000, "compressed, deleted later")

    img.sparse("Sparse/sparse_live.bin",
               [(0, lib.text_content(f"{img.seed}/sp0", 4096)),
                (1 << 20, lib.text_content(f"{img.seed}/sp1", 8192)),
                (3 << 20, lib.text_content(f"{img.seed}/sp2", 100))], (3 << 20) + 100,
               "sparse: written at 0, 1 MiB and 3 MiB")
    img.sparse("Sparse/sparse_tail_hole.bin",
               [(0, lib.text_content(f"{img.seed}/st0", 10000))], 2 << 20,
               "sparse: the last 2 MiB less 10000 bytes were never written")
    img.sparse("Sparse/sparse_deleted.bin",
               [(65536, lib.text_content(f"{img.seed}/sd0", 20000)),
                (1 << 20, lib.text_content(f"{img.seed}/sd1", 3000))], (1 << 20) + 3000,
               "sparse, deleted later")

    img.text("Streams/host.txt", 3000)
    img.stream("Streams/host.txt", "Zone.Identifier", b"[ZoneTransfer]\r\nZoneId=3\r\n",
               "resident alternate stream")
    img.stream("Streams/host.txt", "big stream", lib.text_content(f"{img.seed}/bigstream", 30000),
               "non-resident alternate stream")
    img.text("Streams/gone.txt", 1500, "deleted later with its streams")
    img.stream("Streams/gone.txt", "secret", lib.text_content(f"{img.seed}/secret", 12000),
               "stream of a deleted file")
    img.stream("Streams/gone.txt", "small", b"a small resident stream\n",
               "stream of a deleted file")

    img.text("Trash/old.txt", 5000)
    img.text("Trash/Inner/inner.txt", 300)
    img.text("Trash/Inner/Deepest/deep.bin", 20000)
    img.text("Gone/child.txt", 5000, "its folder's MFT record is reused later")
    img.text("Gone/note.txt", 200, "resident; its folder's MFT record is reused later")
    img.text("Gone/Sub folder/grandchild.txt", 700)

    for i in range(2 * plan["holes"]):
        img.put(f"Spacers/small_{i:04d}.bin",
                lib.block_content(f"{img.seed}/ss{i}", max(c, 1024), 256))
    for i in range(2 * BIG_HOLES):
        img.put(f"Spacers/big_{i:03d}.bin", lib.block_content(f"{img.seed}/sb{i}", BIG_SPACER))
    for path in ["Big/attribute list.bin", "Big/fragmented.bin", "Big/fragmented_deleted.bin"]:
        img.put(path, b"")
    img.mkdir("Filler")


def fragment(img, plan):
    c = img.cluster
    small = max(c, 1024)
    smalls = img.by_position([f"Spacers/small_{i:04d}.bin" for i in range(2 * plan["holes"])])
    bigs = img.by_position([f"Spacers/big_{i:03d}.bin" for i in range(2 * BIG_HOLES)])
    img.fill("Filler")
    for path in smalls[::2]:
        img.truncate_to_zero(path)
    img.write_into("Big/attribute list.bin",
                   lib.text_content(f"{img.seed}/attrlist", plan["holes"] * small - 8 * c))
    # Deleted only now: the fillers and extension records have taken their MFT records, so this
    # record survives while the next writes take its clusters.
    img.delete("Documents/overwritten.bin")
    for path in bigs[::2]:
        img.truncate_to_zero(path)
    half = BIG_HOLES // 2 * BIG_SPACER
    img.write_into("Big/fragmented.bin", lib.text_content(f"{img.seed}/frag", half - 3 * c))
    room = img.free_bytes() - 2 * c
    img.write_into("Big/fragmented_deleted.bin", lib.text_content(f"{img.seed}/fragdel", room))
    img.delete("Filler")
    for path in ["Big/attribute list.bin", "Big/fragmented.bin", "Big/fragmented_deleted.bin"]:
        img.by_path[path].note("written into holes: fragmented")


def orphan_parent(img):
    gone = img.by_path["Gone"].extra["mft_record"]
    img.delete("Gone")
    img.umount()
    img.mount()
    reborn = img.text("Documents/reborn.txt", 300, "took the MFT record of the deleted folder Gone")
    if reborn.extra["mft_record"] != gone:
        raise RuntimeError(f"reborn.txt got record {reborn.extra['mft_record']}, Gone had {gone}")


def final_deletions(img, plan):
    paths = ["Trash", "Big/fragmented_deleted.bin", "Compressed/compressed_deleted.txt",
             "Sparse/sparse_deleted.bin", "Streams/gone.txt", "Documents/deleted_resident.txt",
             "Ünïcødé/日本語/削除済みのファイル.txt",
             "Deep/" + "/".join(DEEP) + "/deleted at the bottom.txt"]
    paths += [f"Many/file_{i:04d}.txt" for i in range(7, plan["many"], 97)]
    for path in paths:
        obj = img.by_path[path]
        if obj.kind == "file":
            img.set_time(path)
        img.delete(path)


def build(out_dir, name):
    plan = IMAGES[name]
    img = NtfsImage(out_dir, name, plan["cluster"], plan["sector"], plan["mib"], plan["seed"])
    img.mount()
    try:
        populate(img, plan)
        fragment(img, plan)
        img.set_times()
        img.umount()
        img.mount()
        orphan_parent(img)
        final_deletions(img, plan)
        img.set_times()
    finally:
        if img.proc:
            img.umount()
    os.rmdir(img.mnt)
    img.finish({"Documents/overwritten.bin"})
    for path in ["Big/attribute list.bin"]:
        if not img.by_path[path].extra.get("attribute_list"):
            raise RuntimeError(path + " has no attribute list")
    for path in ["Big/fragmented.bin", "Big/fragmented_deleted.bin"]:
        if img.by_path[path].extra.get("fragments", 0) < 5:
            raise RuntimeError(path + " is not fragmented")
    return img


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    if os.geteuid() != 0 or not os.path.exists("/dev/fuse"):
        print("needs root and /dev/fuse for the ntfs-3g mount")
        return 2
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for name in sys.argv[2:] or list(IMAGES):
        img = build(out_dir, name)
        print(f"{name}: {len(img.objects)} entries -> {img.path}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
