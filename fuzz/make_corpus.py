#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets: valid files and damaged ones.

Run from anywhere: python3 fuzz/make_corpus.py. Every seed is built here from scratch; the files
are small so that replaying the whole corpus takes seconds. Inputs the fuzzers found are kept
beside these under names starting with "found-" and are not touched.
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def write(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# --- bitmaps ------------------------------------------------------------------------------------

def info_header(width, height, bits, compression=0, image_size=0, colors_used=0, planes=1):
    return struct.pack("<IiiHHIIiiII", 40, width, height, planes, bits, compression, image_size,
                       2835, 2835, colors_used, 0)


def core_header(width, height, bits, planes=1):
    return struct.pack("<IHHHH", 12, width & 0xFFFF, height & 0xFFFF, planes, bits)


def palette(count, entry=4):
    table = b""
    for i in range(count):
        rgb = bytes(((i * 37) & 0xFF, (i * 91) & 0xFF, (i * 13 + 200) & 0xFF))
        table += rgb + (b"\0" if entry == 4 else b"")
    return table


def rows(width, height, bits, seed=1):
    stride = ((width * bits + 31) // 32) * 4
    out = bytearray()
    for y in range(height):
        row = bytearray((seed * 29 + y * 7 + x * 11) & 0xFF for x in range(stride))
        out += row
    return bytes(out)


def file_header(total, offset):
    return b"BM" + struct.pack("<IHHI", total, 0, 0, offset)


def bmp(header, table=b"", pixels=b"", masks=b"", offset=None, total=None):
    body = header + masks + table
    if offset is None:
        offset = 14 + len(body)
    if total is None:
        total = 14 + len(body) + len(pixels)
    return file_header(total, offset) + body + pixels


def rle8(width, height):
    data = bytearray()
    for y in range(height):
        data += bytes((width // 2, y & 0xFF))           # encoded run
        rest = width - width // 2
        if rest >= 3:
            data += bytes((0, rest)) + bytes((x * 3) & 0xFF for x in range(rest))
            if rest % 2:
                data += b"\0"                           # absolute runs end on a word
        else:
            data += bytes((rest, 7)) if rest else b""
        data += b"\0\0"                                 # end of line
    data += b"\0\1"                                     # end of bitmap
    return bytes(data)


def rle4(width, height):
    data = bytearray()
    for y in range(height):
        data += bytes((width, 0x12 + y))
        data += b"\0\0"
    data += b"\0\1"
    return bytes(data)


def bitmaps():
    w, h = 8, 4
    for bits in (1, 4, 8):
        write("fuzz_bitmap", f"valid-{bits}bit.bmp",
              bmp(info_header(w, h, bits), palette(1 << bits), rows(w, h, bits)))
    write("fuzz_bitmap", "valid-8bit-few-colours.bmp",
          bmp(info_header(w, h, 8, colors_used=5), palette(5), bytes(i % 5 for i in range(w * h))))
    write("fuzz_bitmap", "valid-24bit.bmp", bmp(info_header(w, h, 24), pixels=rows(w, h, 24)))
    write("fuzz_bitmap", "valid-24bit-odd-width.bmp", bmp(info_header(5, 3, 24), pixels=rows(5, 3, 24)))
    write("fuzz_bitmap", "valid-32bit.bmp", bmp(info_header(w, h, 32), pixels=rows(w, h, 32)))
    write("fuzz_bitmap", "valid-16bit.bmp", bmp(info_header(w, h, 16), pixels=rows(w, h, 16)))
    write("fuzz_bitmap", "valid-32bit-bitfields.bmp",
          bmp(info_header(w, h, 32, compression=3), pixels=rows(w, h, 32),
              masks=struct.pack("<III", 0x00FF0000, 0x0000FF00, 0x000000FF)))
    write("fuzz_bitmap", "valid-16bit-bitfields.bmp",
          bmp(info_header(w, h, 16, compression=3), pixels=rows(w, h, 16),
              masks=struct.pack("<III", 0xF800, 0x07E0, 0x001F)))
    write("fuzz_bitmap", "valid-top-down-24bit.bmp", bmp(info_header(w, -h, 24), pixels=rows(w, h, 24)))
    write("fuzz_bitmap", "valid-top-down-8bit.bmp",
          bmp(info_header(w, -h, 8), palette(256), rows(w, h, 8)))
    write("fuzz_bitmap", "valid-rle8.bmp",
          bmp(info_header(w, h, 8, compression=1, image_size=len(rle8(w, h))), palette(256), rle8(w, h)))
    write("fuzz_bitmap", "valid-rle4.bmp",
          bmp(info_header(w, h, 4, compression=2, image_size=len(rle4(w, h))), palette(16), rle4(w, h)))
    write("fuzz_bitmap", "valid-rle8-delta.bmp",
          bmp(info_header(w, h, 8, compression=1), palette(256),
              bytes((2, 9, 0, 2, 3, 1, 4, 5, 0, 0, 8, 6, 0, 1))))
    write("fuzz_bitmap", "valid-core-24bit.bmp", bmp(core_header(w, h, 24), pixels=rows(w, h, 24)))
    write("fuzz_bitmap", "valid-core-8bit.bmp", bmp(core_header(w, h, 8), palette(256, 3), rows(w, h, 8)))
    write("fuzz_bitmap", "valid-core-1bit.bmp", bmp(core_header(w, h, 1), palette(2, 3), rows(w, h, 1)))
    write("fuzz_bitmap", "valid-core-4bit.bmp", bmp(core_header(w, h, 4), palette(16, 3), rows(w, h, 4)))
    # Without the file header the bitmap header starts the data.
    write("fuzz_bitmap", "valid-no-file-header-24bit.dib", info_header(w, h, 24) + rows(w, h, 24))
    write("fuzz_bitmap", "valid-no-file-header-8bit.dib", info_header(w, h, 8) + palette(256) + rows(w, h, 8))
    write("fuzz_bitmap", "valid-no-file-header-core.dib", core_header(w, h, 4) + palette(16, 3) + rows(w, h, 4))

    good = bmp(info_header(w, h, 24), pixels=rows(w, h, 24))
    write("fuzz_bitmap", "bad-empty.bmp", b"")
    write("fuzz_bitmap", "bad-bm-only.bmp", b"BM")
    write("fuzz_bitmap", "bad-file-header-only.bmp", good[:14])
    write("fuzz_bitmap", "bad-header-cut.bmp", good[:30])
    write("fuzz_bitmap", "bad-pixels-cut.bmp", good[:-7])
    write("fuzz_bitmap", "bad-rle8-cut.bmp",
          bmp(info_header(w, h, 8, compression=1), palette(256), rle8(w, h)[:9]))
    write("fuzz_bitmap", "bad-rle8-runs-past-row.bmp",
          bmp(info_header(w, h, 8, compression=1), palette(256), bytes((200, 1, 0, 2, 250, 250, 0, 1))))
    write("fuzz_bitmap", "bad-rle4-absolute-cut.bmp",
          bmp(info_header(w, h, 4, compression=2), palette(16), bytes((0, 60, 0x12))))
    write("fuzz_bitmap", "bad-rle-top-down.bmp",
          bmp(info_header(w, -h, 8, compression=1), palette(256), rle8(w, h)))
    write("fuzz_bitmap", "bad-offset-past-end.bmp",
          bmp(info_header(w, h, 24), pixels=rows(w, h, 24), offset=0x7FFFFFF0))
    write("fuzz_bitmap", "bad-offset-inside-header.bmp",
          bmp(info_header(w, h, 24), pixels=rows(w, h, 24), offset=20))
    write("fuzz_bitmap", "bad-offset-inside-table.bmp",
          bmp(info_header(w, h, 8), palette(256), rows(w, h, 8), offset=14 + 40 + 100))
    write("fuzz_bitmap", "bad-image-size-huge.bmp",
          bmp(info_header(w, h, 24, image_size=0xFFFFFFF0), pixels=rows(w, h, 24)))
    write("fuzz_bitmap", "bad-file-size-lies.bmp",
          bmp(info_header(w, h, 24), pixels=rows(w, h, 24), total=0xFFFFFFFF))
    write("fuzz_bitmap", "bad-negative-width.bmp", bmp(info_header(-w, h, 24), pixels=rows(w, h, 24)))
    write("fuzz_bitmap", "bad-zero-height.bmp", bmp(info_header(w, 0, 24), pixels=rows(w, h, 24)))
    write("fuzz_bitmap", "bad-huge-width.bmp", bmp(info_header(0x7FFFFFFF, 1, 24), pixels=rows(w, h, 24)))
    write("fuzz_bitmap", "bad-min-height.bmp",
          bmp(info_header(w, -0x80000000, 24), pixels=rows(w, h, 24)))
    write("fuzz_bitmap", "bad-huge-area.bmp", bmp(info_header(16384, 16384, 1), palette(2), rows(w, h, 1)))
    write("fuzz_bitmap", "bad-core-huge-dims.bmp", bmp(core_header(0xFFFF, 0xFFFF, 24), pixels=rows(w, h, 24)))
    write("fuzz_bitmap", "bad-table-off-end.bmp", bmp(info_header(w, h, 8), palette(40)))
    write("fuzz_bitmap", "bad-colours-used-huge.bmp",
          bmp(info_header(w, h, 8, colors_used=0xFFFFFFFF), palette(256), rows(w, h, 8)))
    write("fuzz_bitmap", "bad-colours-used-24bit.bmp",
          bmp(info_header(w, h, 24, colors_used=300), palette(300), rows(w, h, 24)))
    write("fuzz_bitmap", "bad-core-table-off-end.bmp", bmp(core_header(w, h, 8), palette(20, 3)))
    write("fuzz_bitmap", "bad-depth-7.bmp", bmp(info_header(w, h, 7), pixels=rows(w, h, 8)))
    write("fuzz_bitmap", "bad-depth-0.bmp", bmp(info_header(w, h, 0), pixels=rows(w, h, 8)))
    write("fuzz_bitmap", "bad-planes-0.bmp", bmp(info_header(w, h, 24, planes=0), pixels=rows(w, h, 24)))
    write("fuzz_bitmap", "bad-compression-9.bmp", bmp(info_header(w, h, 24, compression=9), pixels=rows(w, h, 24)))
    write("fuzz_bitmap", "bad-rle8-on-24bit.bmp", bmp(info_header(w, h, 24, compression=1), pixels=rle8(w, h)))
    write("fuzz_bitmap", "bad-bitfields-masks-cut.bmp",
          bmp(info_header(w, h, 32, compression=3), masks=b"\xff\0\0"))
    write("fuzz_bitmap", "bad-bitfields-zero-masks.bmp",
          bmp(info_header(w, h, 32, compression=3), pixels=rows(w, h, 32), masks=bytes(12)))
    write("fuzz_bitmap", "bad-header-size-108.bmp",
          b"BM" + struct.pack("<IHHI", 0, 0, 0, 122) + struct.pack("<I", 108) + bytes(104) + rows(w, h, 24))
    write("fuzz_bitmap", "bad-header-size-huge.bmp", b"BM" + bytes(12) + struct.pack("<I", 0xFFFFFFFF))
    write("fuzz_bitmap", "bad-no-file-header-garbage.dib", b"hello, this is not a picture at all")


# --- high-score files ---------------------------------------------------------------------------

def table(entries, newline=b"\r\n"):
    out = b""
    for name, score in entries:
        out += name + newline + str(score).encode() + newline
    return out


def hiscores():
    full = [(b"ANNA", 1200), (b"BOB", 800), (b"CAROLINE", 700), (b"D4", 650), (b"EERO", 500),
            (b"FRANS", 400), (b"G", 300), (b"HANNU", 200), (b"IIDA", 100)]
    write("fuzz_hiscore", "saved-full-crlf.dat", table(full))
    write("fuzz_hiscore", "saved-full-lf.dat", table(full, b"\n"))
    write("fuzz_hiscore", "saved-no-last-newline.dat", table(full)[:-2])
    zeros = [(b"", 0)] * 9
    write("fuzz_hiscore", "saved-empty-names.dat", table(zeros))
    write("fuzz_hiscore", "saved-some-empty-names.dat",
          table([(b"ANNA", 1200), (b"", 0), (b"", 0)] + [(b"ZED", 10)] * 6))
    write("fuzz_hiscore", "saved-empty-names-lf.dat", table(zeros, b"\n"))
    write("fuzz_hiscore", "saved-negative-and-extremes.dat",
          table([(b"MIN", -2147483648), (b"MAX", 2147483647), (b"NEG", -1)] + full[3:]))
    write("fuzz_hiscore", "names-eleven-and-more.dat",
          table([(b"ABCDEFGHIJK", 9), (b"ABCDEFGHIJKL", 8), (b"X" * 200, 7)] + full[3:]))
    write("fuzz_hiscore", "five-entries.dat", table(full[:5]))
    write("fuzz_hiscore", "name-without-score.dat", b"ANNA\r\n1200\r\nBOB\r\n")
    write("fuzz_hiscore", "word-where-number.dat", b"ANNA\r\nlots\r\nBOB\r\n800\r\n")
    write("fuzz_hiscore", "numbers-too-big.dat",
          table([(b"A", 2147483648), (b"B", -2147483649), (b"C", 99999999999999999999)] + full[3:]))
    write("fuzz_hiscore", "numbers-with-signs-and-zeros.dat",
          b"A +5\nB -0\nC 0007\nD +-3\nE 12abc\nF - 4\n")
    write("fuzz_hiscore", "words-on-one-line.dat", b"  ANNA 1200\tBOB 800 \f CARL\v700  ")
    write("fuzz_hiscore", "spaces-in-names.dat", b"ANNA B\r\n1200\r\nBOB\r\n800\r\n")
    write("fuzz_hiscore", "cr-only.dat", b"ANNA\r1200\rBOB\r800\r")
    write("fuzz_hiscore", "nul-in-name.dat", b"AN\0NA\n1200\n\0\n5\n")
    write("fuzz_hiscore", "garbage.dat", bytes((i * 97 + 13) & 0xFF for i in range(300)))
    write("fuzz_hiscore", "whitespace-only.dat", b" \r\n\t\n\n")
    write("fuzz_hiscore", "empty.dat", b"")
    write("fuzz_hiscore", "extra-lines.dat", table(full) + b"JUNK\r\n12\r\n")


# --- simulator scripts --------------------------------------------------------------------------

def sim_scripts():
    write("fuzz_sim_script", "valid-start.sim", b"tick 1234\nstep 1 E\nstep 40 -\n")
    write("fuzz_sim_script", "valid-steering.sim",
          b"# a short game\ntick 99\nstep 2 E\nstep 100 L\nstep 100 R\nstep 5 LR\nstep 3 RLE\n")
    write("fuzz_sim_script", "valid-comments-and-blanks.sim",
          b"\n   \n# only a comment\n\t tick\t7 # trailing comment\n\nstep 0 -#x\n")
    write("fuzz_sim_script", "valid-crlf.sim", b"tick 5\r\nstep 3 E\r\nstep 10 L\r\n")
    write("fuzz_sim_script", "valid-limits.sim",
          b"tick 0\ntick 4294967295\ntick 0004294967295\nstep 4294967295 -\nstep 0 EEE\n")
    write("fuzz_sim_script", "valid-no-last-newline.sim", b"tick 1\nstep 1 E")
    write("fuzz_sim_script", "bad-key.sim", b"tick 1\nstep 1 E\nstep 2 X\n")
    write("fuzz_sim_script", "bad-command.sim", b"jump 3\n")
    write("fuzz_sim_script", "bad-tick-too-big.sim", b"tick 4294967296\n")
    write("fuzz_sim_script", "bad-tick-signs.sim", b"tick -1\ntick +1\ntick 1e3\ntick 0x10\n")
    write("fuzz_sim_script", "bad-count.sim", b"step -1 L\nstep 99999999999999999999 -\nstep 1.5 R\n")
    write("fuzz_sim_script", "bad-missing-words.sim", b"tick\nstep\nstep 1\n")
    write("fuzz_sim_script", "bad-extra-words.sim", b"tick 1 2\nstep 1 L R\n")
    write("fuzz_sim_script", "bad-case.sim", b"TICK 1\nStep 1 l\n")
    write("fuzz_sim_script", "bad-empty-keys-and-dash.sim", b"step 1 --\nstep 1 L-\n")
    write("fuzz_sim_script", "bad-binary.sim", bytes((i * 53 + 7) & 0xFF for i in range(200)))
    write("fuzz_sim_script", "bad-nul-in-line.sim", b"tick 1\0\nstep\x002 L\n")
    write("fuzz_sim_script", "valid-kept-values.sim",
          b"heading 1.24999988\ntint 0\nsway -0\nclock 3.40282347e+38\nheading 1e-45\n"
          b"tint 1E2\ntick 5\nstep 1 E\n")
    write("fuzz_sim_script", "bad-kept-values.sim",
          b"heading nan\ntint inf\nsway 1e39\nclock 0x1p3\nheading +1\nheading 1,5\n"
          b"tint\nsway 1 2\nclock .\n")

    demo = (b"# Kelvado demo\n# score 1200\n# play steps 364\n# ended by contact\n# name CD\n"
            b"# date 2026-12-09 17:11:19\n# state a1b89833\nheading 1.24999988\n"
            b"tint 0.0599999949\nsway 0.934999287\nclock 21.5601139\ntick 1144078\n"
            b"step 1 E\nstep 29 -\nstep 17 R\nstep 300 -\nstep 10 LR\nstep 8 L\n")
    write("fuzz_sim_script", "valid-demo.demo", demo)
    write("fuzz_sim_script", "valid-demo-crlf.demo", demo.replace(b"\n", b"\r\n"))
    write("fuzz_sim_script", "valid-demo-plain.demo",
          b"# Kelvado demo\n# score 0\n# play steps 2\n# ended by Esc\n# state 00000000\n"
          b"tick 0\nstep 1 E\nstep 0 -\nstep 2 L\n")
    write("fuzz_sim_script", "valid-demo-longest.demo",
          b"# Kelvado demo\n# score 2147483647\n# play steps 1048576\n# ended by withdrawal\n"
          b"# state ffffffff\ntick 4294967295\nstep 1 E\nstep 1048575 R\nstep 1 L\n")
    write("fuzz_sim_script", "bad-demo-too-long.demo",
          b"# Kelvado demo\n# score 0\n# play steps 1048576\n# ended by withdrawal\n"
          b"# state ffffffff\ntick 1\nstep 1 E\nstep 1048577 -\n")
    write("fuzz_sim_script", "bad-demo-no-marker.demo", demo[len(b"# Kelvado demo\n"):])
    write("fuzz_sim_script", "bad-demo-no-state.demo", demo.replace(b"# state a1b89833\n", b""))
    write("fuzz_sim_script", "bad-demo-steps-differ.demo", demo.replace(b"step 8 L", b"step 9 L"))
    write("fuzz_sim_script", "bad-demo-enter-in-play.demo", demo.replace(b"step 8 L", b"step 8 LE"))
    write("fuzz_sim_script", "bad-demo-no-start.demo", demo.replace(b"step 1 E\n", b""))
    write("fuzz_sim_script", "bad-demo-tick-after-start.demo", demo + b"tick 5\n")
    write("fuzz_sim_script", "bad-demo-twice.demo",
          demo.replace(b"tick 1144078\n", b"tick 1144078\ntick 1\n"))
    write("fuzz_sim_script", "bad-demo-facts.demo",
          demo.replace(b"# name CD", b"# name cd").replace(b"# score 1200", b"# score 12x"))
    write("fuzz_sim_script", "bad-demo-ending.demo", demo.replace(b"contact", b"boredom"))

    # A game that verifies and qualifies for the board (made by server/tests/make_demos), the
    # same game under another name, and under a name longer than the name entry takes.
    board = (
        b'# Kelvado demo\n# score 253\n# play steps 1356\n# ended by contact\n# name ZED\n'
        b'# date 2026-12-11 10:00:00\n# state 38aae039\nheading 0\ntint 0\nsway 0\nclock 0\n'
        b'tick 3\nstep 1 E\nstep 37 R\nstep 67 -\nstep 20 R\nstep 33 -\nstep 14 R\nstep 28 -\n'
        b'step 23 L\nstep 46 R\nstep 12 -\nstep 23 R\nstep 15 L\nstep 39 -\nstep 30 L\n'
        b'step 13 -\nstep 44 L\nstep 7 R\nstep 49 L\nstep 42 R\nstep 35 L\nstep 33 -\n'
        b'step 23 L\nstep 23 R\nstep 24 L\nstep 99 R\nstep 11 -\nstep 30 R\nstep 57 -\n'
        b'step 37 R\nstep 43 -\nstep 9 R\nstep 41 -\nstep 28 L\nstep 24 -\nstep 7 R\n'
        b'step 34 -\nstep 45 R\nstep 62 L\nstep 32 -\nstep 18 L\nstep 27 R\nstep 26 -\n'
        b'step 6 L\nstep 35 -\nstep 5 L\n')
    write("fuzz_sim_script", "valid-demo-board.demo", board)
    write("fuzz_sim_script", "valid-demo-board-renamed.demo", board.replace(b"# name ZED", b"# name ZOE"))
    write("fuzz_sim_script", "valid-demo-board-long-name.demo",
          board.replace(b"# name ZED", b"# name ZEDZEDZEDZE"))


def main():
    os.makedirs(CORPUS, exist_ok=True)
    wanted = sys.argv[1:] or ["bitmap", "hiscore", "sim"]
    if "bitmap" in wanted:
        bitmaps()
    if "hiscore" in wanted:
        hiscores()
    if "sim" in wanted:
        sim_scripts()


if __name__ == "__main__":
    main()
