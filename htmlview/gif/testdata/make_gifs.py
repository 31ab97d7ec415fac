#!/usr/bin/python3
"""Writes the GIF test corpus into a folder, with Pillow's composed frames
beside each animation as NAME.fN.png (N from 1), for the decoder tests.

Usage: make_gifs.py DIR
"""
import os
import random
import sys

from PIL import Image, GifImagePlugin

out = sys.argv[1]
rng = random.Random(7)


def palette(n, seed):
    r = random.Random(seed)
    return [r.randrange(256) for _ in range(3 * n)] + [0] * (768 - 3 * n)


def indexed(w, h, colours, seed):
    r = random.Random(seed)
    im = Image.new("P", (w, h))
    im.putpalette(palette(colours, seed))
    im.putdata([r.randrange(colours) for _ in range(w * h)])
    return im


def save(name, frames, **kw):
    path = os.path.join(out, name + ".gif")
    first = frames[0]
    first.save(path, save_all=len(frames) > 1, append_images=frames[1:], optimize=False, **kw)
    return path


def composites(name):
    path = os.path.join(out, name + ".gif")
    im = Image.open(path)
    for i in range(getattr(im, "n_frames", 1)):
        im.seek(i)
        im.convert("RGBA").save(os.path.join(out, "%s.f%d.png" % (name, i + 1)))


# Interlaced pictures of every height up to 17, small ones included.
interlace = GifImagePlugin.get_interlace
GifImagePlugin.get_interlace = lambda im: 1
for h in range(1, 18):
    save("interlaced_h%02d" % h, [indexed(7, h, 200, h)])
GifImagePlugin.get_interlace = interlace

# Plain pictures with 2, 16 and 256 colours, and a wide one.
save("plain_2", [indexed(33, 9, 2, 1)])
save("plain_16", [indexed(20, 20, 16, 2)])
save("plain_256", [indexed(64, 48, 256, 3)])
save("wide", [indexed(600, 3, 256, 4)])

# Long runs make long LZW strings and a full code table.
im = Image.new("P", (300, 300))
im.putpalette(palette(4, 5))
im.putdata([(i // 997) % 4 for i in range(300 * 300)])
save("runs", [im])

# An animation whose frames carry their own colour tables.
frames = [indexed(16, 12, 64, 10 + i) for i in range(4)]
save("local_tables", frames, loop=0, duration=[100, 0, 250, 40], disposal=1)
composites("local_tables")

# Transparency with each disposal method, a loop count and a comment.
for disposal in (0, 1, 2, 3):
    frames = []
    for i in range(3):
        f = indexed(10, 8, 8, 20 + i)
        data = list(f.getdata())
        for k in range(0, len(data), 3 + i):
            data[k] = 0  # index 0 is the transparent colour
        f.putdata(data)
        frames.append(f)
    save("transparent_d%d" % disposal, frames, loop=3, duration=70, transparency=0,
         disposal=disposal, comment=b"made for the decoder tests")
    composites("transparent_d%d" % disposal)

# 300 frames: only 256 are kept.
save("frames_300", [indexed(4, 4, 4, 100 + i) for i in range(300)], duration=10)


def raw(name):
    with open(os.path.join(out, name + ".gif"), "rb") as f:
        return f.read()


def write(name, data):
    with open(os.path.join(out, name + ".gif"), "wb") as f:
        f.write(data)


# An unknown extension label after the first image ends the parse there.
two = raw("local_tables")
second = two.find(b"\x21\xf9", two.find(b"\x2c") + 1)
write("unknown_extension", two[:second] + b"\x21\x42\x01\x00\x00" + two[second:])

# Cut off inside the second image's data.
third = two.find(b"\x2c", second + 1)
packed = two[third + 9]
table = 3 << ((packed & 7) + 1) if packed & 0x80 else 0
write("truncated", two[:third + 10 + table + 24])
