"""Checks that the decoder written from doc/format.md agrees with `tq1 decode`.

Usage: conformance_test.py PATH/TO/tq1

Small images of many shapes are encoded by the program at several settings; each file must
decode to the same pixels with tq1decoder.py as with `tq1 decode`. Hand-made files exercise
what the encoder never writes (the escape symbol, a colour equal to the empty word, a marker
after the other kind), and damaged files must be refused by both or by neither, with the
same pixels when accepted. The example file shown in the document must be the file the
program writes for it. Exits 0 when everything agrees, 1 with the disagreements listed.
"""

import os
import random
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tq1decoder  # noqa: E402


def write_bmp(path, rows):
    """A 24-bit bottom-up bitmap of rows of (r, g, b)."""
    height, width = len(rows), len(rows[0])
    stride = (3 * width + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        data += line + bytes(stride - 3 * width)
    header = b"BM" + struct.pack("<IHHI", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bpp = struct.unpack_from("<iiHH", data, 18)
    if bpp != 24:
        raise ValueError("%s: expected a 24-bit bitmap, got %d bits" % (path, bpp))
    stride = (3 * width + 3) & ~3
    top_down = height < 0
    height = abs(height)
    rows = []
    for y in range(height):
        line = offset + stride * (y if top_down else height - 1 - y)
        rows.append([(data[line + 3 * x + 2], data[line + 3 * x + 1], data[line + 3 * x])
                     for x in range(width)])
    return rows


def patchy_image(rng, width, height, colours):
    """Rectangles of a few colours over a noisy background: blocks of many shapes."""
    palette = [tuple(rng.randrange(256) for _ in range(3)) for _ in range(colours)]
    rows = [[rng.choice(palette) if rng.random() < 0.7 else
             tuple(rng.randrange(256) for _ in range(3)) for _ in range(width)]
            for _ in range(height)]
    for _ in range(rng.randrange(1, 6)):
        x0, y0 = rng.randrange(width), rng.randrange(height)
        x1, y1 = rng.randrange(x0, width) + 1, rng.randrange(y0, height) + 1
        colour = rng.choice(palette)
        base = rng.randrange(3)
        for y in range(y0, y1):
            for x in range(x0, x1):
                # A gentle ramp inside the rectangle: uniform within a tolerance, not exactly.
                rows[y][x] = tuple(min(255, c + ((x + y) % 4 if k == base else 0))
                                   for k, c in enumerate(colour))
    return rows


class Checker:
    def __init__(self, program, workdir):
        self.program = program
        self.workdir = workdir
        self.failures = []
        self.files = 0
        self.refused = 0

    def run(self, *args):
        return subprocess.run([self.program, *args], stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE)

    def program_decode(self, data):
        """The program's pixels, or None when it refuses the file."""
        src = os.path.join(self.workdir, "in.tq1")
        out = os.path.join(self.workdir, "out.bmp")
        with open(src, "wb") as f:
            f.write(data)
        if os.path.exists(out):
            os.remove(out)
        result = self.run("decode", src, "-o", out)
        if result.returncode != 0:
            return None
        return read_bmp(out)

    def compare(self, what, data, valid=None):
        """Both decoders on `data`; `valid` says whether the file must be accepted or refused,
        so that a mistake in a hand-made file cannot pass as two matching refusals."""
        self.files += 1
        expected = self.program_decode(data)
        if valid is not None and (expected is not None) != valid:
            self.failures.append("%s: the program %s the file" %
                                 (what, "refuses" if valid else "accepts"))
        try:
            actual = tq1decoder.decode_rgb(data)
        except tq1decoder.FormatError as error:
            actual = None
            reason = str(error)
        if expected is None and actual is None:
            self.refused += 1
            return
        if expected is None:
            self.failures.append("%s: the program refuses the file, the document's decoder "
                                 "accepts it" % what)
        elif actual is None:
            self.failures.append("%s: the document's decoder refuses the file (%s), the "
                                 "program accepts it" % (what, reason))
        elif actual != expected:
            diffs = [(x, y) for y, row in enumerate(expected) for x in range(len(row))
                     if actual[y][x] != row[x]]
            x, y = diffs[0]
            self.failures.append("%s: %d pixels differ, first at (%d, %d): document %s, "
                                 "program %s" % (what, len(diffs), x, y, actual[y][x],
                                                 expected[y][x]))

    def encode(self, rows, options):
        src = os.path.join(self.workdir, "image.bmp")
        out = os.path.join(self.workdir, "image.tq1")
        write_bmp(src, rows)
        result = self.run("encode", src, "-o", out, *options)
        if result.returncode != 0:
            raise RuntimeError("tq1 encode %s failed: %s" % (" ".join(options),
                                                           result.stderr.decode()))
        with open(out, "rb") as f:
            return f.read()


SIZES = [(1, 1), (1, 2), (2, 1), (1, 9), (11, 1), (2, 2), (3, 3), (4, 4), (5, 3), (3, 5),
         (7, 6), (8, 8), (9, 17), (17, 9), (16, 31), (33, 20), (64, 3), (2, 70), (40, 40)]
SETTINGS = [[], ["-t", "5"], ["-t", "12", "-s", "20"], ["-t", "30", "-s", "150"],
            ["-s", "60"], ["-b", "4"], ["-t", "8", "-b", "3,6,2", "-s", "40"],
            ["-b", "0"], ["-t", "50", "-b", "1", "-s", "150"], ["-t", "20", "-s", "8"]]


def check_encoded_images(checker, rng):
    for i, (width, height) in enumerate(SIZES):
        rows = patchy_image(rng, width, height, rng.randrange(1, 12))
        for settings in (SETTINGS[i % len(SETTINGS)], SETTINGS[(3 * i + 5) % len(SETTINGS)]):
            data = checker.encode(rows, settings)
            checker.compare("%d x %d image, %s" % (width, height, " ".join(settings) or
                                                   "defaults"), data, valid=True)
    # Noise: thousands of colours, most used once, so codes of many lengths with long runs
    # of equal counts and lengths, where the sort's order among equals decides the codes.
    noise = [[tuple(rng.randrange(256) for _ in range(3)) for _ in range(64)] for _ in range(48)]
    for settings in ([], ["-b", "5,6,5", "-s", "100"]):
        checker.compare("64 x 48 noise, %s" % (" ".join(settings) or "defaults"),
                        checker.encode(noise, settings), valid=True)
    # Enough tokens (more than 2^14) for the program to decode on two threads where it can.
    large = patchy_image(rng, 160, 120, 40)
    checker.compare("160 x 120 image, -s 40", checker.encode(large, ["-s", "40"]), valid=True)


class HandMadeFile:
    """A file written field by field from the document, for what the encoder never writes."""

    def __init__(self, width, height, levels, counts, controls, threshold=0):
        self.width, self.height = width, height
        self.levels = levels          # four lists of level values
        self.counts = counts
        self.controls = controls      # three (index, value) pairs: X, Y, E
        self.threshold = threshold
        self.tokens = []              # (symbol, [literal level triples])

    def bytes(self):
        fields = [(0x54, 8), (0x51, 8), (1, 8), (0, 8), (self.width - 1, 16),
                  (self.height - 1, 16), (0, 8), (self.threshold, 8)]
        fields += [(len(table) - 1, 8) for table in self.levels]
        fields += [(len(self.counts) - 1, 24), (len(self.tokens) - 1, 24)]
        for index, value in self.controls:
            fields += [(value, 24), (index, 20)]
        for table in self.levels:
            fields += [(v, 8) for v in table]
        fields += [(c, 20) for c in self.counts]
        codes = tq1decoder.Codes(self.counts)
        word = {s: (code, length) for (length, code), s in codes.symbol_of.items()}
        widths = [tq1decoder.bit_length(len(self.levels[c]) - 1) for c in range(3)]
        for symbol, literals in self.tokens:
            fields.append(word[symbol])
            for literal in literals:
                fields += [(literal[c], widths[c]) for c in range(3)]
        bits = "".join(format(value, "0%db" % width) for value, width in fields)
        bits += "0" * (-len(bits) % 8)
        return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))


def check_hand_made_files(checker):
    grey = [[10, 20, 30, 40], [0], [0], [0]]
    # Symbols: 0 X, 1 Y, 2 E, 3 and 4 colours. The escape brings a literal every time, and a
    # colour sent through it does not become a symbol's value.
    f = HandMadeFile(4, 2, grey, [2, 2, 3, 2, 1], [(0, 0), (1, 1), (2, 2)], threshold=30)
    f.tokens = [(0, []), (1, []), (3, [(1, 0, 0)]), (2, [(3, 0, 0)]), (2, [(2, 0, 0)]),
                (4, [(0, 0, 0)]), (3, [])]
    checker.compare("hand-made: escape symbol with literals", f.bytes(), valid=True)

    # A first use whose literal equals the escape value reads a second literal, and the
    # symbol behaves as an escape afterwards. Red level 2 with nothing else is the word 2.
    f = HandMadeFile(3, 1, [[0, 1, 2], [0], [0], [0]], [2, 2, 2, 3],
                     [(0, 0x10000), (1, 0x20000), (2, 2)])
    f.tokens = [(3, [(2, 0, 0), (1, 0, 0)]), (3, [(0, 0, 0)]), (3, [(1, 0, 0)])]
    checker.compare("hand-made: first literal equal to the escape value", f.bytes(), valid=True)

    # After a y-doubling marker, the x-marker's value is the block's colour.
    f = HandMadeFile(1, 2, [[5, 6], [0], [0], [0]], [2, 2, 2, 1],
                     [(0, 5), (1, 1), (2, 2)])
    f.tokens = [(1, []), (0, [])] + [(3, [(1, 0, 0)])]
    checker.compare("hand-made: x-marker value after a y-marker is a colour", f.bytes(), valid=True)

    # A fourth-channel level of 0x7F and white make the empty word: the block leaves its
    # cells empty and the walk starts new blocks in them.
    f = HandMadeFile(2, 2, [[255, 0], [255], [255], [0x7F]], [3, 3, 2, 4, 1],
                     [(0, 1), (1, 2), (2, 3)], threshold=200)
    f.tokens = [(0, []), (1, []), (3, [(0, 0, 0)]), (4, [(1, 0, 0)]), (3, [(0, 0, 0)]),
                (3, [(0, 0, 0)])]
    checker.compare("hand-made: a colour equal to the empty word", f.bytes(), valid=True)

    # Control indices that coincide: the later control value wins.
    f = HandMadeFile(2, 1, [[9, 99], [0], [0], [0]], [1, 2, 1],
                     [(0, 1), (0, 2), (1, 3)])
    f.tokens = [(1, [(1, 0, 0)]), (2, [(0, 0, 0)])]
    checker.compare("hand-made: two control symbols at one index", f.bytes(), valid=True)

    # Damage the hand-made files cannot reach otherwise: a literal index past the levels.
    f = HandMadeFile(3, 1, [[1, 2, 3], [0], [0], [0]], [1, 1, 1, 1],
                     [(0, 0), (1, 1), (2, 2)])
    f.tokens = [(3, [(3, 0, 0)])]
    checker.compare("hand-made: a literal naming a missing level", f.bytes(), valid=False)


def check_damaged_files(checker, rng):
    rows = patchy_image(rng, 13, 7, 4)
    for settings_index, settings in enumerate((["-t", "6", "-s", "30"], ["-b", "3,2,5"])):
        data = checker.encode(rows, settings)
        for length in range(settings_index, len(data), 3):
            checker.compare("%s cut to %d bytes" % (" ".join(settings), length), data[:length])
        # Flips from the smoothing threshold on: flips in the sides could declare images too
        # large for a quick check.
        bit_positions = list(range(72, 8 * len(data)))
        for bit in rng.sample(bit_positions, min(len(bit_positions), 100)):
            damaged = bytearray(data)
            damaged[bit >> 3] ^= 0x80 >> (bit & 7)
            checker.compare("%s with bit %d flipped" % (" ".join(settings), bit),
                            bytes(damaged))


def check_document_example(checker):
    """The example file of the document, byte for byte, as the program writes it today."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "doc",
                        "format.md")
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("## 12.")[1].split("Header (bytes")[0].splitlines()
    documented = bytearray()
    for line in lines:
        line = line.strip()
        if len(line) > 10 and line[8] == ":" and all(c in "0123456789abcdef" for c in line[:8]):
            documented += bytes.fromhex("".join(line[10:49].split()))
    a, b, c = (200, 100, 50), (10, 20, 30), (10, 20, 40)
    written = checker.encode([[a, a, b, a], [a, a, c, a]], ["-s", "20"])
    checker.files += 1
    if written != bytes(documented):
        checker.failures.append("the example of doc/format.md is not the file tq1 writes: "
                                "%s, documented %s" % (written.hex(), documented.hex()))
    checker.compare("the example of doc/format.md", written, valid=True)


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    program = argv[1]
    if not os.access(program, os.X_OK):
        print("tq1 not found at %s" % program, file=sys.stderr)
        return 2
    rng = random.Random(20261208)
    with tempfile.TemporaryDirectory(prefix="tq1-format-") as workdir:
        checker = Checker(program, workdir)
        check_document_example(checker)
        check_encoded_images(checker, rng)
        check_hand_made_files(checker)
        check_damaged_files(checker, rng)
    for failure in checker.failures:
        print("MISMATCH " + failure)
    print("%d files compared (%d refused by both), %d disagreements" %
          (checker.files, checker.refused, len(checker.failures)))
    return 1 if checker.failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
