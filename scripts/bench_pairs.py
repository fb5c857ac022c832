#!/usr/bin/env python3
"""Whole-process speed of tq1 against cjpeg/djpeg, run in pairs.

Each round runs every contestant once over a set of images, one process per image, in an
order that alternates from round to round, so that a change in the machine's load falls on
both. Times are the processes' own (start to exit); processor time and peak memory come from
the kernel's account of each process. Outputs go to a fresh folder on every run, outside the
timing.

    bench_pairs.py --tool build/cli/tq1 --photos DIR --large FILE.bmp --work DIR [--before OLD_TQ1]

--photos holds 24-bit bitmaps (the photo set), --large one large bitmap. With --before, an
older tq1 runs in the same rounds, for a before/after comparison on the same load.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

TOLERANCE, SMOOTHING, QUALITY = "10", "30", "75"


def run_timed(argv):
    """Runs one process; returns (wall seconds, processor seconds, peak resident bytes)."""
    start = time.perf_counter()
    process = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    process.returncode = os.waitstatus_to_exitcode(status)
    error = process.stderr.read().decode(errors="replace")
    process.stderr.close()
    if process.returncode != 0:
        sys.exit(f"bench_pairs: {' '.join(argv)} failed ({process.returncode}): {error}")
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss * 1024


class Contestant:
    """One program's work over a set: a command per input file."""

    def __init__(self, name, command, inputs, out_dir, suffix):
        self.name, self.command, self.inputs = name, command, inputs
        self.out_dir, self.suffix = out_dir, suffix
        self.walls, self.cpus, self.peak = [], [], 0

    def run(self):
        shutil.rmtree(self.out_dir, ignore_errors=True)
        self.out_dir.mkdir(parents=True)
        wall = cpu = 0.0
        for source in self.inputs:
            target = self.out_dir / (source.stem + self.suffix)
            w, c, peak = run_timed(self.command(source, target))
            wall, cpu = wall + w, cpu + c
            self.peak = max(self.peak, peak)
        self.walls.append(wall)
        self.cpus.append(cpu)


def race(contestants, rounds):
    for r in range(rounds):
        for c in contestants if r % 2 == 0 else reversed(contestants):
            c.run()


def report(title, pixels, tq1, jpeg, before, target):
    ratios = [a / b for a, b in zip(tq1.walls, jpeg.walls)]
    print(f"{title}: tq1 {min(tq1.walls) * 1e3:.1f} ms (median {statistics.median(tq1.walls) * 1e3:.1f}),"
          f" {jpeg.name} {min(jpeg.walls) * 1e3:.1f} ms (median {statistics.median(jpeg.walls) * 1e3:.1f});"
          f" time ratio median {statistics.median(ratios):.2f}, best {min(ratios):.2f} (target <= {target})")
    cpu_ratio = statistics.median(c / w for c, w in zip(tq1.cpus, tq1.walls))
    print(f"    tq1 processor time / wall time {cpu_ratio:.2f}; peak memory {tq1.peak / pixels:.1f} bytes per pixel")
    if before:
        change = [a / b - 1 for a, b in zip(tq1.walls, before.walls)]
        print(f"    against --before: {min(before.walls) * 1e3:.1f} ms -> {min(tq1.walls) * 1e3:.1f} ms,"
              f" median change {statistics.median(change) * 100:+.1f} %")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tool", required=True)
    parser.add_argument("--before")
    parser.add_argument("--photos", required=True, type=Path)
    parser.add_argument("--large", required=True, type=Path)
    parser.add_argument("--work", required=True, type=Path)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--sets", default="photos,large")
    args = parser.parse_args()
    for program in ("cjpeg", "djpeg"):
        if not shutil.which(program):
            sys.exit(f"bench_pairs: {program} is needed (Debian package libjpeg-turbo-progs)")

    sets = {"photos": sorted(args.photos.glob("*.bmp")), "large": [args.large]}
    for name in args.sets.split(","):
        bitmaps = sets[name]
        pixels = sum(bitmap_pixels(b) for b in bitmaps)
        work = args.work / name
        tools = [("tq1", args.tool)] + ([("before", args.before)] if args.before else [])
        encoders = [Contestant(label, lambda s, t, p=path: [p, "encode", str(s), "-o", str(t), "-t", TOLERANCE, "-s", SMOOTHING],
                               bitmaps, work / f"enc-{label}", ".tq1") for label, path in tools]
        cjpeg = Contestant("cjpeg", lambda s, t: ["cjpeg", "-quality", QUALITY, "-outfile", str(t), str(s)],
                           bitmaps, work / "enc-jpeg", ".jpg")
        print(f"== {name}: {len(bitmaps)} bitmaps, {pixels / 1e6:.2f} MP; tq1 -t {TOLERANCE} -s {SMOOTHING},"
              f" JPEG quality {QUALITY}; {args.rounds} rounds")
        race(encoders + [cjpeg], args.rounds)
        report("encode", pixels, encoders[0], cjpeg, encoders[1] if args.before else None, 2.5)

        # The decoders read what the new encoder and cjpeg wrote, copied so that the next runs
        # can empty the encoders' folders.
        coded = copy_all(encoders[0].out_dir, work / "tq1")
        jpegs = copy_all(cjpeg.out_dir, work / "jpeg")
        decoders = [Contestant(label, lambda s, t, p=path: [p, "decode", str(s), "-o", str(t)],
                               coded, work / f"dec-{label}", ".bmp") for label, path in tools]
        djpeg = Contestant("djpeg", lambda s, t: ["djpeg", "-bmp", "-outfile", str(t), str(s)],
                           jpegs, work / "dec-jpeg", ".bmp")
        race(decoders + [djpeg], args.rounds)
        report("decode", pixels, decoders[0], djpeg, decoders[1] if args.before else None,
               1.1 if name == "photos" else 1.3)
        tq1_bytes = sum(f.stat().st_size for f in coded)
        jpeg_bytes = sum(f.stat().st_size for f in jpegs)
        print(f"size: tq1 {tq1_bytes * 8 / pixels:.2f} bits per pixel, JPEG {jpeg_bytes * 8 / pixels:.2f}")


def bitmap_pixels(path):
    header = path.read_bytes()[:26]
    width = int.from_bytes(header[18:22], "little", signed=True)
    height = int.from_bytes(header[22:26], "little", signed=True)
    return abs(width * height)


def copy_all(source, target):
    shutil.rmtree(target, ignore_errors=True)
    shutil.copytree(source, target)
    return sorted(target.iterdir())


if __name__ == "__main__":
    main()
