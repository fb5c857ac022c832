"""A reader of .tq1 files written from doc/format.md alone, in plain Python.

It exists to check the document: conformance_test.py runs it against the real program. It is
meant to be read next to the document, section by section, not to be fast.

Run as a program: `tq1decoder.py FILE.tq1 [--dump]` prints the fields and tokens of a file.
"""

import bisect
import sys

EMPTY = 0x7FFFFFFF
HEADER_BITS = 292


class FormatError(Exception):
    """The file is not a valid .tq1 file; the message says why."""


def bit_length(x):
    """Binary digits of x, at least 1."""
    return max(1, x.bit_length())


class Bits:
    """Fields read most significant bit first; reading past the end is an error."""

    def __init__(self, data):
        self.data = data
        self.total = 8 * len(data)
        self.pos = 0

    def read(self, n, what):
        if self.pos + n > self.total:
            raise FormatError("the data ends inside " + what)
        value = 0
        for _ in range(n):
            byte = self.data[self.pos >> 3]
            value = (value << 1) | ((byte >> (7 - (self.pos & 7))) & 1)
            self.pos += 1
        return value


class Header:
    FIELDS = [("magic0", 8), ("magic1", 8), ("major", 8), ("minor", 8),
              ("maxX", 16), ("maxY", 16), ("tolerance", 8), ("threshold", 8),
              ("levels0", 8), ("levels1", 8), ("levels2", 8), ("levels3", 8),
              ("lastSymbol", 24), ("lastToken", 24),
              ("controlValue0", 24), ("controlIndex0", 20),
              ("controlValue1", 24), ("controlIndex1", 20),
              ("controlValue2", 24), ("controlIndex2", 20)]

    def __init__(self, bits, trace):
        for name, width in self.FIELDS:
            start = bits.pos
            setattr(self, name, bits.read(width, "the header"))
            trace.append((start, width, name, getattr(self, name)))
        self.level_counts = [self.levels0 + 1, self.levels1 + 1, self.levels2 + 1,
                             self.levels3 + 1]
        self.symbols = self.lastSymbol + 1
        self.tokens = self.lastToken + 1
        self.controls = [(self.controlIndex0, self.controlValue0),
                         (self.controlIndex1, self.controlValue1),
                         (self.controlIndex2, self.controlValue2)]


def sort_ascending(key, n):
    """The quicksort whose exact permutation decides the order among equal keys."""
    index = list(range(n))

    def quicksort(lo, hi):
        # An explicit stack instead of recursion; the two halves are disjoint, so the order in
        # which they are sorted does not change the result.
        stack = [(lo, hi)]
        while stack:
            lo, hi = stack.pop()
            pivot = key[index[(lo + hi) // 2]]
            i, j = lo, hi
            while True:
                while key[index[i]] < pivot:
                    i += 1
                while key[index[j]] > pivot:
                    j -= 1
                if i <= j:
                    index[i], index[j] = index[j], index[i]
                    i += 1
                    j -= 1
                if i > j:
                    break
            if lo < j:
                stack.append((lo, j))
            if i < hi:
                stack.append((i, hi))

    if n > 1:
        quicksort(0, n - 1)
    return index


def sort_descending(key, n):
    return sort_ascending(key, n)[::-1]


def code_lengths(counts):
    """Code length of every symbol, by the merge of the lightest, highest-numbered nodes."""
    s = len(counts)
    by_count = sort_descending(counts, s)
    m = s - 1
    weight = [counts[by_count[j]] for j in range(m + 1)]
    parent = [None] * (2 * m + 1)
    # Nodes without a parent, as a list kept sorted by (weight, -node): the first two are
    # the ones the merge takes. Small files only, so plain insertion will do.
    free = sorted(range(m + 1), key=lambda p: (weight[p], -p))
    keys = [(weight[p], -p) for p in free]
    for j in range(m + 1, 2 * m + 1):
        a, b = free[0], free[1]
        del free[:2]
        del keys[:2]
        weight.append(weight[a] + weight[b])
        parent[a] = parent[b] = j
        k = (weight[j], -j)
        at = bisect.bisect_left(keys, k)
        keys.insert(at, k)
        free.insert(at, j)
    depth = [0] * (2 * m + 1)
    for node in range(2 * m - 1, -1, -1):
        depth[node] = depth[parent[node]] + 1
    lengths = [0] * s
    for j in range(m + 1):
        lengths[by_count[j]] = depth[j]
    return lengths


class Codes:
    """Canonical code words, read bit by bit."""

    def __init__(self, counts):
        self.lengths = code_lengths(counts)
        if max(self.lengths) > 32:
            raise FormatError("the symbol counts give codes longer than 32 bits")
        by_length = sort_ascending(self.lengths, len(counts))
        self.symbol_of = {}
        code = 0
        previous = self.lengths[by_length[0]]
        for k, symbol in enumerate(by_length):
            length = self.lengths[symbol]
            if k > 0:
                code = (code + 1) << (length - previous)
            previous = length
            self.symbol_of[(length, code)] = symbol
        self.longest = max(self.lengths)

    def read(self, bits):
        value = 0
        for length in range(1, self.longest + 1):
            value = (value << 1) | bits.read(1, "the token stream")
            symbol = self.symbol_of.get((length, value))
            if symbol is not None:
                return symbol, length
        raise FormatError("no code word matches")  # impossible for a complete code


class Decoder:
    def __init__(self, data, trace=None):
        self.trace = trace if trace is not None else []
        bits = Bits(data)
        if bits.total < HEADER_BITS:
            raise FormatError("the data ends inside the header")
        h = self.header = Header(bits, self.trace)
        needed = HEADER_BITS + 8 * sum(h.level_counts) + 20 * h.symbols + h.tokens
        if needed > bits.total:
            raise FormatError("the data ends before the tables and tokens it declares")
        if h.lastSymbol < 1:
            raise FormatError("fewer than two symbols")
        for index, _ in h.controls:
            if index > h.lastSymbol:
                raise FormatError("a control index lies beyond the symbols")
        self.levels = []
        for c in range(4):
            start = bits.pos
            table = [bits.read(8, "the level tables") for _ in range(h.level_counts[c])]
            self.trace.append((start, 8 * len(table), "level table %d" % c, table))
            self.levels.append(table)
        start = bits.pos
        counts = [bits.read(20, "the counts") for _ in range(h.symbols)]
        self.trace.append((start, 20 * len(counts), "counts", counts))
        if 0 in counts:
            raise FormatError("a symbol count is zero")
        self.codes = Codes(counts)
        self.literal_bits = [bit_length(h.level_counts[c] - 1) for c in range(3)]
        self.values = [EMPTY] * h.symbols
        for index, value in h.controls:
            self.values[index] = value
        self.X, self.Y, self.E = (value for _, value in h.controls)
        self.bits = bits
        self.tokens_read = 0

    def literal(self):
        colour = self.levels[3][0] << 24
        for c in range(3):
            level = self.bits.read(self.literal_bits[c], "a literal")
            if level >= len(self.levels[c]):
                raise FormatError("a literal names a level the channel does not have")
            colour |= self.levels[c][level] << (8 * c)
        return colour

    def token(self):
        if self.tokens_read >= self.header.tokens:
            raise FormatError("the image needs more tokens than the file declares")
        start = self.bits.pos
        symbol, length = self.codes.read(self.bits)
        v = self.values[symbol]
        if v == self.E:
            t = self.literal()
        elif v == EMPTY:
            c = self.literal()
            self.values[symbol] = c
            t = self.literal() if c == self.E else c
        else:
            t = v
        self.tokens_read += 1
        self.trace.append((start, self.bits.pos - start, "token %d: symbol %d, code %s"
                           % (self.tokens_read - 1, symbol, format(
                               self._code_of(symbol), "0%db" % length)), t))
        return t

    def _code_of(self, symbol):
        for (length, code), s in self.codes.symbol_of.items():
            if s == symbol:
                return code
        return 0

    def decode(self):
        """The decoded image as rows of 32-bit words, and the blocks in walk order."""
        h = self.header
        width, height = h.maxX + 1, h.maxY + 1
        grid = [[EMPTY] * width for _ in range(height)]
        blocks = []

        def cell(x, y):
            if grid[y][x] != EMPTY:
                return
            n = m = 0
            t = self.token()
            while m == 0 and t == self.X:
                n += 1
                t = self.token()
            while t == self.Y:
                m += 1
                t = self.token()
            if n > 16 or m > 16 or x + (1 << n) > width or y + (1 << m) > height:
                raise FormatError("a block reaches past the image")
            for yy in range(y, y + (1 << m)):
                for xx in range(x, x + (1 << n)):
                    grid[yy][xx] = t
            blocks.append((x, y, n, m))

        def visit(x, y, k):
            if x > h.maxX or y > h.maxY:
                return
            if k == 0:
                cell(x, y)
                return
            half = 1 << (k - 1)
            visit(x, y, k - 1)
            visit(x, y + half, k - 1)
            visit(x + half, y, k - 1)
            visit(x + half, y + half, k - 1)

        visit(0, 0, bit_length(max(h.maxX, h.maxY)))
        while self.tokens_read < h.tokens:
            self.token()
        if h.threshold != 0:
            for x0, y0, n, m in blocks:
                if n >= 1 and m >= 1:
                    self.smooth(grid, x0, y0, n, m)
        return grid, blocks

    def smooth(self, grid, x0, y0, n, m):
        h = self.header
        ex, ey = 1 << n, 1 << m
        own = grid[y0][x0]
        out = {}
        for c in range(4):
            shift = 8 * c
            o = (own >> shift) & 0xFF

            def edge(present, x, y):
                if not present:
                    return o
                q = (grid[y][x] >> shift) & 0xFF
                return (o + q) // 2 if abs(o - q) <= h.threshold else o

            for dy in range(ey):
                left = edge(x0 > 0, x0 - 1, y0 + dy)
                right = edge(x0 + ex <= h.maxX, x0 + ex, y0 + dy)
                for dx in range(ex):
                    above = edge(y0 > 0, x0 + dx, y0 - 1)
                    below = edge(y0 + ey <= h.maxY, x0 + dx, y0 + ey)
                    hv = (left * (ex - 1 - dx) + right * dx) // (ex - 1)
                    vv = (above * (ey - 1 - dy) + below * dy) // (ey - 1)
                    out[(dx, dy)] = out.get((dx, dy), 0) | (((hv + vv) // 2) << shift)
        for (dx, dy), word in out.items():
            grid[y0 + dy][x0 + dx] = word


def decode_rgb(data):
    """Rows of (r, g, b) as `tq1 decode` writes them; an empty cell is white."""
    grid, _ = Decoder(data).decode()
    rows = []
    for row in grid:
        rows.append([(255, 255, 255) if w == EMPTY else (w & 0xFF, (w >> 8) & 0xFF,
                                                          (w >> 16) & 0xFF) for w in row])
    return rows


def main(argv):
    if len(argv) < 2:
        print("usage: tq1decoder.py FILE.tq1 [--dump]", file=sys.stderr)
        return 2
    data = open(argv[1], "rb").read()
    trace = []
    try:
        decoder = Decoder(data, trace)
        grid, blocks = decoder.decode()
    except FormatError as error:
        print("error: %s" % error, file=sys.stderr)
        return 1
    if "--dump" in argv:
        for start, width, name, value in trace:
            shown = ("0x%X" % value) if isinstance(value, int) else value
            print("bits %4d-%4d  %s = %s" % (start, start + width - 1, name, shown))
        print("blocks (x, y, n, m):", blocks)
        print("code lengths:", decoder.codes.lengths)
    for row in grid:
        print(" ".join("%08X" % w for w in row))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
