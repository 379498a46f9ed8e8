#!/usr/bin/env python3
"""Synthesises the program's sounds and writes them as WAV files into resources/sounds/.

  truckstr.wav  1.5 s  the truck's diesel engine cranked by its starter, catching and settling
  truck.wav     1.0 s  the engine running; loops without a seam (a whole number of firings,
                       every tail and filter wrapped round the loop)
  truckwh.wav   1.0 s  the truck's air horn: a short and a long blast
  crash.wav     1.5 s  steel members crashing and clanging into the gorge; loops without a seam
  cheers.wav    2.5 s  a crowd cheering, clapping and whistling

Mono, 22050 samples per second, 16 bits. Only the Python standard library is used, and the
random generators are seeded, so the output is the same on every run.

Usage: make_sounds.py [output folder]   (default: the sounds folder next to this script's)
"""

import math
import os
import random
import struct
import sys
import wave

RATE = 22050
TWO_PI = 2.0 * math.pi


# ---------------------------------------------------------------------------------------------
# Filters (two-pole sections after the well-known cookbook formulas)

def lowpass(freq, q=0.707):
    w = TWO_PI * freq / RATE
    alpha = math.sin(w) / (2 * q)
    cw = math.cos(w)
    return normalise((1 - cw) / 2, 1 - cw, (1 - cw) / 2, 1 + alpha, -2 * cw, 1 - alpha)


def highpass(freq, q=0.707):
    w = TWO_PI * freq / RATE
    alpha = math.sin(w) / (2 * q)
    cw = math.cos(w)
    return normalise((1 + cw) / 2, -(1 + cw), (1 + cw) / 2, 1 + alpha, -2 * cw, 1 - alpha)


def bandpass(freq, q):
    """Peak gain 1 at freq."""
    w = TWO_PI * freq / RATE
    alpha = math.sin(w) / (2 * q)
    cw = math.cos(w)
    return normalise(alpha, 0.0, -alpha, 1 + alpha, -2 * cw, 1 - alpha)


def peaking(freq, q, gain_db):
    a = 10 ** (gain_db / 40.0)
    w = TWO_PI * freq / RATE
    alpha = math.sin(w) / (2 * q)
    cw = math.cos(w)
    return normalise(1 + alpha * a, -2 * cw, 1 - alpha * a, 1 + alpha / a, -2 * cw, 1 - alpha / a)


def normalise(b0, b1, b2, a0, a1, a2):
    return (b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0)


def run(x, coeffs, state=None):
    b0, b1, b2, a1, a2 = coeffs
    x1 = x2 = y1 = y2 = 0.0
    if state:
        x1, x2, y1, y2 = state
    out = [0.0] * len(x)
    for i, v in enumerate(x):
        y = b0 * v + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2
        x2, x1 = x1, v
        y2, y1 = y1, y
        out[i] = y
    return out, (x1, x2, y1, y2)


def filt(x, *sections):
    for c in sections:
        x, _ = run(x, c)
    return x


def filt_loop(x, *sections):
    """Filters a loop as if it repeated for ever: a first pass settles the filter state, and the
    second pass, started from that state, is kept. So the end flows into the start."""
    for c in sections:
        _, state = run(x, c)
        _, state = run(x, c, state)
        x, _ = run(x, c, state)
    return x


# ---------------------------------------------------------------------------------------------
# Buffers, mixing and files

def silence(seconds):
    return [0.0] * int(round(seconds * RATE))


def add_at(buf, start, samples, loop=False):
    n = len(buf)
    for i, v in enumerate(samples):
        j = start + i
        if loop:
            buf[j % n] += v
        elif 0 <= j < n:
            buf[j] += v


def mix(*parts):
    n = max(len(p) for (p, _) in parts)
    out = [0.0] * n
    for (p, gain) in parts:
        for i, v in enumerate(p):
            out[i] += v * gain
    return out


def fade(x, fade_in, fade_out):
    n = len(x)
    a, b = int(fade_in * RATE), int(fade_out * RATE)
    for i in range(a):
        x[i] *= i / a
    for i in range(b):
        x[n - 1 - i] *= i / b
    return x


def peak_normalise(x, peak=0.89):
    m = max(abs(v) for v in x) or 1.0
    return [v * peak / m for v in x]


def write_wav(path, x):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", max(-32767, min(32767, int(round(v * 32767))))) for v in x))


def noise(rng, n):
    return [rng.uniform(-1.0, 1.0) for _ in range(n)]


# ---------------------------------------------------------------------------------------------
# Diesel engine

def firing(rng, strength, knock):
    """One cylinder firing as heard at the exhaust: a pressure thump ringing in the pipe, and the
    sharp clatter of diesel knock."""
    n = int(0.045 * RATE)
    ring = rng.uniform(95, 120)
    out = [0.0] * n
    for i in range(n):
        t = i / RATE
        thump = math.exp(-t / 0.009) * math.sin(TWO_PI * ring * t + 0.3)
        clatter = math.exp(-t / 0.0025) * rng.uniform(-1, 1) * knock
        out[i] = strength * (thump + clatter)
    return out


def engine(rng, seconds, rate_at, strength_at, loop=False, cylinders=6):
    """Firings at rate_at(t) per second (t in seconds), each of strength_at(t). With loop the
    firings wrap round the buffer, whose length then should hold a whole number of them."""
    buf = silence(seconds)
    n = len(buf)
    balance = [rng.uniform(0.8, 1.1) for _ in range(cylinders)]
    t, k = 0.0, 0
    while t < seconds:
        jitter = rng.uniform(-0.04, 0.04) / max(1.0, rate_at(t)) if not loop else 0.0
        start = int((t + jitter) * RATE)
        pulse = firing(rng, strength_at(t) * balance[k % cylinders], 0.35)
        add_at(buf, start, pulse, loop)
        t += 1.0 / rate_at(t)
        k += 1
    body = (lowpass(1800), peaking(240, 1.2, 6.0), highpass(35))
    return filt_loop(buf, *body) if loop else filt(buf, *body)


def rumble(rng, seconds, loop):
    """The low roar of the exhaust and the engine block under the firings."""
    x = noise(rng, int(seconds * RATE))
    sections = (lowpass(160, 0.9), lowpass(300))
    return filt_loop(x, *sections) if loop else filt(x, *sections)


def make_truck_loop():
    rng = random.Random(7)
    seconds = 1.0
    fires = engine(rng, seconds, lambda t: 48.0, lambda t: 1.0, loop=True)
    bed = rumble(rng, seconds, loop=True)
    # A faint whine of the gearbox, a whole number of cycles in the loop.
    gear = [0.05 * math.sin(TWO_PI * 610 * i / RATE) for i in range(len(fires))]
    return peak_normalise(mix((fires, 1.0), (bed, 1.8), (gear, 1.0)), 0.8)


def make_engine_start():
    rng = random.Random(11)
    seconds = 1.5
    n = int(seconds * RATE)
    # Starter: a geared electric motor whining, slowed by each compression stroke it drives.
    crank_end = 0.72
    starter = [0.0] * n
    phase = 0.0
    for i in range(int((crank_end + 0.12) * RATE)):
        t = i / RATE
        compression = 0.5 + 0.5 * math.cos(TWO_PI * 9.0 * t)
        spin_up = min(1.0, t / 0.08)
        run_down = 1.0 if t < crank_end else max(0.0, 1.0 - (t - crank_end) / 0.12)
        freq = (150 + 40 * spin_up) * (1.0 - 0.14 * compression) * (0.6 + 0.4 * run_down)
        phase += TWO_PI * freq / RATE
        tone = math.sin(phase) + 0.5 * math.sin(2 * phase) + 0.3 * math.sin(3 * phase) + 0.2 * math.sin(7 * phase)
        starter[i] = 0.25 * tone * spin_up * run_down * (0.7 + 0.3 * compression)
    starter = filt(starter, lowpass(2500))
    # Compression chuffs while cranking.
    chuffs = silence(seconds)
    t = 0.05
    while t < crank_end:
        burst = [rng.uniform(-1, 1) * math.exp(-i / (0.03 * RATE)) for i in range(int(0.09 * RATE))]
        add_at(chuffs, int(t * RATE), filt(burst, lowpass(500)))
        t += 1 / 9.0
    # The engine catches at 0.62 s, flares to 80 firings a second and settles to an idle of 40.

    def rate(t):
        if t < 0.62:
            return 9.0
        if t < 0.92:
            return 9.0 + (80.0 - 9.0) * ((t - 0.62) / 0.30) ** 0.7
        return 40.0 + 40.0 * math.exp(-(t - 0.92) / 0.18)

    def strength(t):
        if t < 0.55:
            return 0.0
        if t < 0.62:
            return 0.5
        return 1.0 if t < 1.0 else 0.75

    fires = engine(rng, seconds, rate, strength)
    bed = rumble(rng, seconds, loop=False)
    for i in range(n):
        t = i / RATE
        bed[i] *= 0.0 if t < 0.62 else min(1.0, (t - 0.62) / 0.1)
    out = mix((starter, 1.0), (chuffs, 0.6), (fires, 1.0), (bed, 2.5))
    return fade(peak_normalise(out, 0.85), 0.005, 0.08)


# ---------------------------------------------------------------------------------------------
# Air horn

def make_horn():
    rng = random.Random(3)
    seconds = 1.0
    n = int(seconds * RATE)
    blasts = [(0.02, 0.24), (0.34, 0.95)]
    notes = [(277.2, 1.0), (349.2, 0.9), (415.3, 0.6)]
    out = [0.0] * n
    for (f0, gain) in notes:
        phase = rng.uniform(0, TWO_PI)
        for i in range(n):
            t = i / RATE
            env, scoop = 0.0, 0.0
            for (a, b) in blasts:
                if a <= t <= b:
                    env = min(1.0, (t - a) / 0.025) * min(1.0, (b - t) / 0.04)
                    scoop = -0.05 * math.exp(-(t - a) / 0.03)
            freq = f0 * (1.0 + scoop + 0.003 * math.sin(TWO_PI * 5.5 * t))
            phase += TWO_PI * freq / RATE
            if env == 0.0:
                continue
            # A reed buzz: rich in harmonics, the higher ones weaker.
            s = 0.0
            for h in range(1, 12):
                if f0 * h < 6000:
                    s += math.sin(h * phase) / (h ** 0.9)
            out[i] += gain * env * s
    breath = [v * 0.15 for v in filt(noise(rng, n), bandpass(1500, 0.8))]
    for i in range(n):
        t = i / RATE
        on = any(a <= t <= b for (a, b) in blasts)
        out[i] += breath[i] if on else 0.0
    out = filt(out, peaking(900, 1.0, 6.0), peaking(2200, 1.5, 4.0), lowpass(4500))
    return fade(peak_normalise(out, 0.85), 0.002, 0.02)


# ---------------------------------------------------------------------------------------------
# Crash of steel

def metal_hit(rng, strength, heavy):
    """A steel member striking: inharmonic ringing modes, a click, and for heavy hits a thud."""
    length = 0.6 if heavy else 0.3
    n = int(length * RATE)
    out = [0.0] * n
    modes = []
    for _ in range(rng.randint(6, 11)):
        f = math.exp(rng.uniform(math.log(300 if heavy else 600), math.log(5200)))
        decay = rng.uniform(0.02, 0.08) * (2500.0 / f) ** 0.5 * (1.6 if heavy else 1.0)
        modes.append((f, decay, rng.uniform(0.3, 1.0), rng.uniform(0, TWO_PI)))
    for i in range(n):
        t = i / RATE
        s = 0.0
        for (f, decay, a, ph) in modes:
            s += a * math.exp(-t / decay) * math.sin(TWO_PI * f * t + ph)
        s += rng.uniform(-1, 1) * (2.0 * math.exp(-t / 0.002) + 0.6 * math.exp(-t / 0.03))
        if heavy:
            s += 3.0 * math.exp(-t / 0.07) * math.sin(TWO_PI * (55 + 40 * math.exp(-t / 0.03)) * t)
        out[i] = strength * s
    return out


def make_crash():
    rng = random.Random(1940)
    seconds = 1.5
    buf = silence(seconds)
    n = len(buf)
    # Heavy members falling on one another, smaller pieces clanking, wrapped round the loop.
    for k in range(7):
        start = int((k / 7.0 + rng.uniform(-0.03, 0.03)) * n)
        add_at(buf, start, metal_hit(rng, rng.uniform(0.7, 1.0), True), loop=True)
    for _ in range(40):
        add_at(buf, rng.randrange(n), metal_hit(rng, rng.uniform(0.15, 0.45), False), loop=True)
    # Scraping and rubble underneath, filtered as a loop.
    scrape = filt_loop(noise(rng, n), bandpass(1800, 1.5))
    rubble = filt_loop(noise(rng, n), lowpass(250))
    wobble = [0.6 + 0.4 * math.sin(TWO_PI * 4 * i / n) for i in range(n)]
    out = [buf[i] + 0.25 * scrape[i] * wobble[i] + 1.2 * rubble[i] for i in range(n)]
    out = filt_loop(out, highpass(40), lowpass(7000))
    return peak_normalise(out, 0.85)


# ---------------------------------------------------------------------------------------------
# Cheering crowd

VOWELS = {  # formant frequencies (Hz) of a few vowels, average voices
    "a": (750, 1200, 2500),
    "e": (500, 1900, 2550),
    "i": (320, 2300, 3000),
    "o": (500, 850, 2450),
    "u": (350, 750, 2400),
}


def voice(rng, seconds, f0, start_vowel, end_vowel, contour):
    """One shouting voice: a glottal buzz gliding through its pitch contour, shaped by three
    formant resonances moving from one vowel to another."""
    n = int(seconds * RATE)
    src = [0.0] * n
    phase = 0.0
    vib_rate = rng.uniform(4.5, 6.5)
    for i in range(n):
        t = i / seconds / RATE
        freq = f0 * contour(t) * (1.0 + 0.02 * math.sin(TWO_PI * vib_rate * i / RATE))
        phase += freq / RATE
        p = phase % 1.0
        # A pressed, shouting glottal pulse: a slow opening and an abrupt closure, which is
        # what gives a shout its bright upper harmonics.
        if p < 0.5:
            g = 0.5 - 0.5 * math.cos(math.pi * p / 0.5)
        elif p < 0.56:
            g = 1.0 - (p - 0.5) / 0.06
        else:
            g = 0.0
        src[i] = g + 0.08 * rng.uniform(-1, 1)
    src = [src[i] - 0.9 * src[i - 1] if i else src[0] for i in range(n)]
    src = filt(src, highpass(90))
    out = [0.0] * n
    block = 128
    f_start, f_end = VOWELS[start_vowel], VOWELS[end_vowel]
    states = [None, None, None]
    for b in range(0, n, block):
        t = b / max(1, n - 1)
        glide = min(1.0, t * 2.5)
        chunk = src[b:b + block]
        total = [0.0] * len(chunk)
        for k in range(3):
            f = f_start[k] + (f_end[k] - f_start[k]) * glide
            y, states[k] = run(chunk, bandpass(f, f / (70 + 40 * k)), states[k])
            g = (1.0, 0.8, 0.5)[k]
            for j, v in enumerate(y):
                total[j] += g * v
        out[b:b + len(chunk)] = total
    env_in, env_out = 0.06, 0.2
    for i in range(n):
        t = i / RATE
        out[i] *= min(1.0, t / env_in) * min(1.0, (seconds - t) / env_out)
    return out


def clap(rng, centre):
    n = int(0.05 * RATE)
    x = [rng.uniform(-1, 1) * math.exp(-i / (0.008 * RATE)) for i in range(n)]
    return filt(x, bandpass(centre, 1.2))


def whistle(rng, seconds, f_from, f_peak, f_to):
    n = int(seconds * RATE)
    out = [0.0] * n
    phase = 0.0
    for i in range(n):
        t = i / n
        f = f_from + (f_peak - f_from) * min(1.0, t / 0.35) if t < 0.35 else f_peak + (f_to - f_peak) * (t - 0.35) / 0.65
        phase += TWO_PI * f * (1 + 0.01 * math.sin(TWO_PI * 7 * i / RATE)) / RATE
        env = min(1.0, t / 0.08) * min(1.0, (1 - t) / 0.15)
        out[i] = env * (math.sin(phase) + 0.05 * rng.uniform(-1, 1))
    return out


def make_cheers():
    rng = random.Random(2024)
    seconds = 2.5
    total = silence(seconds)
    shouts = [
        ("e", "a", lambda t: 1.0 + 0.25 * min(1.0, t * 5) - 0.3 * max(0.0, t - 0.4)),  # "yeah!"
        ("u", "o", lambda t: 0.85 + 0.45 * min(1.0, t * 2)),  # "woo!"
        ("e", "i", lambda t: 1.1 - 0.2 * t),  # "hey!"
        ("o", "a", lambda t: 1.0 + 0.3 * math.sin(math.pi * min(1.0, t))),  # "hooray"
    ]
    voices = []
    for k in range(26):
        female = k % 2 == 1
        f0 = rng.uniform(190, 330) if female else rng.uniform(105, 175)
        start = rng.uniform(0.0, 0.35) if k < 18 else rng.uniform(0.7, 1.3)
        length = rng.uniform(0.7, 1.6)
        length = min(length, seconds - start - 0.05)
        a, b, contour = shouts[rng.randrange(len(shouts))]
        v = voice(rng, length, f0, a, b, contour)
        add_at(total, int(start * RATE), [s * rng.uniform(0.5, 1.0) for s in v])
        voices.append(v)
    claps = silence(seconds)
    for _ in range(12):
        centre = rng.uniform(1100, 2600)
        t = rng.uniform(0.25, 0.6)
        rate = rng.uniform(4.0, 6.0)
        while t < seconds - 0.1:
            add_at(claps, int(t * RATE), [s * rng.uniform(0.6, 1.0) for s in clap(rng, centre)])
            t += 1.0 / rate * rng.uniform(0.9, 1.1)
    whistles = silence(seconds)
    add_at(whistles, int(0.45 * RATE), whistle(rng, 0.55, 1500, 2700, 1900))
    add_at(whistles, int(1.35 * RATE), whistle(rng, 0.6, 2300, 2600, 2400))
    bed = filt(noise(rng, len(total)), bandpass(900, 0.6))
    out = mix((total, 1.0), (claps, 0.5), (whistles, 0.12), (bed, 0.15))
    out = filt(out, highpass(80), lowpass(7000))
    n = len(out)
    for i in range(n):
        t = i / RATE
        out[i] *= min(1.0, t / 0.12) * (1.0 if t < 1.8 else max(0.0, 1.0 - (t - 1.8) / 0.7))
    return peak_normalise(out, 0.85)


# ---------------------------------------------------------------------------------------------

def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(here), "sounds")
    os.makedirs(out, exist_ok=True)
    sounds = {
        "truckstr.wav": make_engine_start,
        "truck.wav": make_truck_loop,
        "truckwh.wav": make_horn,
        "crash.wav": make_crash,
        "cheers.wav": make_cheers,
    }
    for name, make in sounds.items():
        write_wav(os.path.join(out, name), make())


if __name__ == "__main__":
    main()
