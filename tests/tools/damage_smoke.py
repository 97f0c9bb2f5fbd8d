#!/usr/bin/env python3
"""Runs orvande-cli on damaged copies of the corpus images and reports every run that crashed,
hung or made a sanitizer speak.

    cmake --preset asan && cmake --build --preset asan -j2 --target orvande-cli typeprobe
    tests/tools/damage_smoke.py [--cli build/asan/bin/orvande-cli] [--seed 1] [--runs 300]

Each run takes one corpus image, changes bytes in its MFT records, its boot sector, its first MiB
or anywhere data lies, sometimes cuts it short, then runs `analyze --json` and
`recover --all-files --streams --structure` on it. Exit codes 0 and 1 are answers; anything else,
a sanitizer report or a run over two minutes is a fault, and the damaged image is kept for
replay. Exits 1 when there was a fault. Slow (minutes), so it is not part of ctest.
"""
import argparse
import lzma
import os
import random
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
IMAGES = ["fat12", "fat16", "fat32", "ntfs512", "ntfs4k", "ntfs4kn"]
TIMEOUT_SECONDS = 120


def load_images():
    images = {}
    for name in IMAGES:
        raw = lzma.open(os.path.join(ROOT, "tests", "data", name + ".img.xz")).read()
        records = [i for i in range(0, len(raw), 1024) if raw[i:i + 4] == b"FILE"]
        used = [i for i in range(0, len(raw), 4096) if any(raw[i:i + 4096])]
        images[name] = (raw, records, used)
    return images


def damage(rng, raw, records, used):
    image = bytearray(raw)
    for _ in range(rng.choice([1, 4, 16, 64])):
        if records and rng.random() < 0.6:
            offset = rng.choice(records) + rng.randrange(1024)
        elif rng.random() < 0.5:
            offset = rng.randrange(min(len(image), 1 << 20))
        else:
            offset = min(rng.choice(used) + rng.randrange(4096), len(image) - 1)
        change = rng.random()
        if change < 0.5:
            image[offset] = rng.randrange(256)
        elif change < 0.8:
            image[offset] ^= 1 << rng.randrange(8)
        else:
            value = rng.choice([0, 1, 0x7F, 0x80, 0xFF, 0x80000000, 0xFFFFFFFF])
            for k in range(min(4, len(image) - offset)):
                image[offset + k] = (value >> (8 * k)) & 0xFF
    if rng.random() < 0.3:  # the boot sector's geometry fields
        for _ in range(rng.choice([1, 2, 4])):
            image[rng.randrange(96)] = rng.choice([0, 1, 0x80, 0xFF, rng.randrange(256)])
    if rng.random() < 0.2:
        image = image[:rng.randrange(512, len(image))]
    return image


def run_once(cli, image_path, out_dir, env):
    """Returns None, or why the run is a fault."""
    commands = (
        ["analyze", image_path, "--json"],
        ["recover", image_path, "--out", out_dir, "--all-files", "--streams", "--structure",
         "--on-exists", "replace", "--replace-char", "_"],
    )
    for args in commands:
        try:
            done = subprocess.run([cli] + args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                  timeout=TIMEOUT_SECONDS, env=env)
        except subprocess.TimeoutExpired:
            return f"{args[0]}: no answer after {TIMEOUT_SECONDS} s"
        err = done.stderr.decode("utf-8", "replace")
        if done.returncode not in (0, 1) or "Sanitizer" in err or "runtime error" in err:
            return f"{args[0]}: exit code {done.returncode}\n{err[-3000:]}"
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", default=os.path.join(ROOT, "build", "asan", "bin", "orvande-cli"))
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--runs", type=int, default=300)
    parser.add_argument("--keep", default=os.path.join(ROOT, "build", "damage-smoke"),
                        help="folder for the images of faulty runs")
    options = parser.parse_args()
    if not os.access(options.cli, os.X_OK):
        sys.exit(f"damage_smoke: {options.cli} is not built")

    rng = random.Random(options.seed)
    images = load_images()
    env = dict(os.environ, UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1")
    faults = 0
    with tempfile.TemporaryDirectory(dir="/dev/shm" if os.path.isdir("/dev/shm") else None) as work:
        image_path = os.path.join(work, "damaged.img")
        out_dir = os.path.join(work, "out")
        for run in range(options.runs):
            name = rng.choice(IMAGES)
            image = damage(rng, *images[name])
            with open(image_path, "wb") as file:
                file.write(image)
            shutil.rmtree(out_dir, ignore_errors=True)
            why = run_once(options.cli, image_path, out_dir, env)
            if why is not None:
                faults += 1
                os.makedirs(options.keep, exist_ok=True)
                kept = os.path.join(options.keep, f"seed{options.seed}-run{run}-{name}.img")
                shutil.copyfile(image_path, kept)
                print(f"FAULT {name} run {run}: {why}\n  image kept as {kept}", flush=True)
            if run % 25 == 0:
                print(f"run {run}: {faults} faults", flush=True)
    print(f"{options.runs} runs, {faults} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
