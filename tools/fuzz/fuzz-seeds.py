#!/usr/bin/env python3
"""Writes the seed corpora of the libFuzzer targets (tools/fuzz.sh): a frame file, small WAV
files of every sample format, MP3 images with ID3 tags of each version, plugin.ini files and
title/time scripts (the TGA seeds come from the asset generator). usage: fuzz-seeds.py OUT_DIR  (creates OUT_DIR/corpus-<target>/)"""
import os
import struct
import sys

out = sys.argv[1]


def put(target, name, data):
    folder = os.path.join(out, "corpus-" + target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# The frame file: 576 numbers, 16 a line.
levels = [str((k * 37) % 256) for k in range(576)]
put("frame_file", "sample.txt", ("\n".join(" ".join(levels[i:i + 16]) for i in range(0, 576, 16)) + "\n").encode())


def chunk(cid, body):
    return cid + struct.pack("<I", len(body)) + body + (b"\0" if len(body) & 1 else b"")


def wav(tag, channels, rate, bits, frames, info=None, extensible=False):
    align = channels * bits // 8
    if extensible:
        fmt = struct.pack("<HHIIHHHHI", 0xFFFE, channels, rate, rate * align, align, bits, 22, bits, 3)
        fmt += struct.pack("<H", tag) + b"\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71"
    else:
        fmt = struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits)
    data = bytes((i * 37 + 11) & 0xFF for i in range(frames * align))
    if tag == 3:
        data = b"".join(struct.pack("<f", ((i % 50) - 25) / 20.0) for i in range(frames * channels))
    body = b"WAVE" + chunk(b"fmt ", fmt)
    if info:
        tags = b"".join(chunk(k, v.encode() + b"\0") for k, v in info)
        body += chunk(b"LIST", b"INFO" + tags)
    body += chunk(b"data", data)
    return b"RIFF" + struct.pack("<I", len(body)) + body


for bits in (8, 16, 24, 32):
    for ch in (1, 2):
        put("wav", f"pcm{bits}-{ch}ch.wav", wav(1, ch, 22050, bits, 24))
put("wav", "float-2ch.wav", wav(3, 2, 44100, 32, 24))
put("wav", "extensible-float.wav", wav(3, 1, 48000, 32, 16, extensible=True))
put("wav", "info.wav", wav(1, 2, 8000, 16, 8, info=[(b"IART", "Someone"), (b"INAM", "A Song")]))
put("wav", "info-odd.wav", wav(1, 1, 8000, 8, 9, info=[(b"INAM", "Odd")]))


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def frame_bytes(header):
    b2 = header[2]
    mpeg1 = (header[1] >> 3) & 3 == 3
    rates = {0: 44100, 1: 48000, 2: 32000}
    rate = rates[(b2 >> 2) & 3] // (1 if mpeg1 else 2)
    kbps = ([0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320] if mpeg1
            else [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160])[b2 >> 4]
    return (1152 if mpeg1 else 576) // 8 * kbps * 1000 // rate + ((b2 >> 1) & 1)


def frames(header, count):
    one = bytes(header) + b"\0" * (frame_bytes(header) - 4)
    return one * count


def text_frame(major, fid, encoding, value):
    n = len(value) + 1
    size = syncsafe(n) if major == 4 else struct.pack(">I", n)
    return fid + size + b"\0\0" + bytes([encoding]) + value


def id3v2(major, body, flags=0):
    return b"ID3" + bytes([major, 0, flags]) + syncsafe(len(body)) + body


mono = [0xFF, 0xF3, 0x10, 0xC0]      # MPEG-2, 8 kbit/s, 22.05 kHz, mono: 26 bytes
stereo = [0xFF, 0xFB, 0x12, 0x00]    # MPEG-1, 32 kbit/s, 44.1 kHz, padded: 105 bytes
put("mp3", "bare.mp3", frames(mono, 3))
put("mp3", "v23.mp3", id3v2(3, text_frame(3, b"TIT2", 0, b"Title") + text_frame(3, b"TPE1", 1,
    b"\xff\xfe" + "Ärtist".encode("utf-16-le")) + b"\0" * 8) + frames(mono, 2))
put("mp3", "v24.mp3", id3v2(4, text_frame(4, b"TIT2", 3, "Tïtle ✓".encode()) +
    text_frame(4, b"TPE1", 2, "Band".encode("utf-16-be"))) + frames(stereo, 2))
put("mp3", "v22.mp3", id3v2(2, b"TT2" + struct.pack(">I", 6)[1:] + b"\0Short" + b"\0" * 4) + frames(mono, 2))
tag1 = bytearray(b"TAG" + b"\0" * 125)
tag1[3:9] = b"Oldtag"
tag1[33:38] = b"Group"
put("mp3", "v1.mp3", frames(mono, 2) + bytes(tag1))


def ini(lines):
    return ("\r\n".join(lines) + "\r\n").encode()


written = ["[Vexilumarine]", "title persistence=6000", "title fade=6000", "effect length=10000",
           "fade length=1000", "graphics mode=5", "widescreen=FALSE", "show title=TRUE",
           "persistent title=FALSE", "show time=TRUE", "blurred time display=TRUE", "show FPS=FALSE",
           "vu water=TRUE", "spectrum analyser=TRUE", "spherical shells=FALSE", "freaky movey thingy=TRUE",
           "volumetric light=TRUE", "spike cylinder=TRUE", "super shells=TRUE", "random effect order=TRUE"]
# The settings target reads its input as: one byte of flags, the dialog's four number fields
# (each up to a newline), then the file.
put("settings", "as-written", b"\x00" + b"6000\n0\n-5\n 12\n" + ini(written))
put("settings", "edited", b"\x01" + b"2147483647\n4294967295\n-2147483648\nabc\n" +
    ini(["[other]", "fade length=7", "[VEXILUMARINE]", " Effect Length = 123abc ", "graphics mode=-1",
         "show FPS=true", "vu water=FALSE", "super shells=", "title fade=99999999999"]))

# The title target: a script of records (see tests/plugin/fuzz/fuzz_title_time.cpp).
def title_record(position, length, index, title):
    return struct.pack("<iiB", position, length, index) + bytes([len(title)]) + title


put("titles", "plain", struct.pack("<iiii", 6000, 6000, 10000, 1000) +
    title_record(0, 180, 0, b"Artist - Song") + title_record(5000, 180, 0, b"") +
    title_record(179000, 180, 1, b"100% %s %n") + title_record(-2500, 0, 2, b""))
put("titles", "edges", struct.pack("<iiii", 2147483647, 0, -1, 5) +
    title_record(-2147483648, 2147483647, 0, b"x" * 200) + title_record(2147483647, -1, 1, b"\xff\xfe"))
