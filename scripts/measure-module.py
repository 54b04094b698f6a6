#!/usr/bin/env python3
"""Levels of a rendered module (16-bit stereo WAV): peak, clipped samples, RMS per window and
the longest stretch of silence. Usage: measure-module.py FILE.wav [--window SECONDS]"""
import array
import math
import sys
import wave


def main():
    path = sys.argv[1]
    window = float(sys.argv[sys.argv.index("--window") + 1]) if "--window" in sys.argv else 4.0
    with wave.open(path, "rb") as w:
        rate = w.getframerate()
        data = array.array("h", w.readframes(w.getnframes()))
    if sys.byteorder != "little":
        data.byteswap()
    frames = len(data) // 2
    peak = max(max(data), -min(data)) if data else 0
    clipped = sum(1 for v in data if v >= 32767 or v <= -32768)
    print(f"length {frames / rate:.2f} s, peak {20 * math.log10(max(peak, 1) / 32768):.2f} dBFS, clipped samples {clipped}")
    # Silence: 50 ms blocks below -60 dBFS RMS.
    block = rate // 20
    longest = run = 0
    longest_at = 0
    for b in range(frames // block):
        chunk = data[2 * b * block: 2 * (b + 1) * block]
        rms = math.sqrt(sum(v * v for v in chunk) / len(chunk)) / 32768
        if rms < 0.001:
            run += 1
            if run > longest:
                longest, longest_at = run, b - run + 1
        else:
            run = 0
    print(f"longest silence {longest * 0.05:.2f} s at {longest_at * 0.05:.2f} s")
    step = int(window * rate)
    line = []
    for start in range(0, frames, step):
        chunk = data[2 * start: 2 * min(frames, start + step)]
        rms = math.sqrt(sum(v * v for v in chunk) / max(1, len(chunk))) / 32768
        line.append(f"{start / rate:5.0f}s {20 * math.log10(max(rms, 1e-9)):6.1f}")
    for i in range(0, len(line), 6):
        print("  ".join(line[i:i + 6]))


main()
