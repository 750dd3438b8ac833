#!/usr/bin/env python3
"""Faulty files heavier than the machine: does korvoplayer keep answering
its keys, and does it end or recover cleanly? Three clips, made here with
ffmpeg, each with its sound:

  sizes     H.264 whose picture size changes every second: 3840x2160,
            1280x720, 1920x1080 in turn (MPEG-TS, 12 s);
  index     1080p60 MPEG-4 in AVI whose key-frame index is broken: half
            the entries of idx1, chosen at random, have their key-frame
            flag turned over (20 s);
  errors    2160p60 H.264 in MP4 with three runs of random bytes in its
            pictures' data, which the decoder fails on (20 s).

Each plays on servers of the benchmark's own (Xvfb 1920x1080, a session
bus, a PulseAudio null sink). After 3 s: Space, Space, Right (10 s
forward), Left (10 s back), each sent through XTEST (xdotool) and judged
from outside through MPRIS (playerctl): ms until the status or the
position shows the key's effect. Then the file is left to play out:

  end       seconds from the launch until the player shows "Stopped"
            (the file ended, or stopped on an error), nan if it did not
            within the clip's length plus 30 s;
  alive     whether the process still runs and answers MPRIS afterwards
            (a crash or a wedged player is "no").

usage: bench/faults.py BUILD-DIR [--media DIR] [--display :N] [--clips sizes,index,errors]
"""

import argparse
import math
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # no __pycache__ beside the benchmarks
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import overload  # noqa: E402
import whole_process  # noqa: E402

SOUND = ["-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000"]
KEYS = [("Space", "status", "Paused"), ("Space", "status", "Playing"), ("Right", "ahead", 8.0),
        ("Left", "back", 8.0)]
# Key codes of the usual X keymap (xdotool by key code reaches the window
# as a real keyboard does).
KEYCODES = {"Space": overload.SPACE_KEYCODE, "Right": "114", "Left": "113"}


def ffmpeg(*args):
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", *args], check=True)


def make_sizes(path):
    parts = []
    with tempfile.TemporaryDirectory() as folder:
        for second in range(12):
            size = ("3840x2160", "1280x720", "1920x1080")[second % 3]
            part = os.path.join(folder, f"{second:02}.ts")
            ffmpeg("-f", "lavfi", "-i", f"testsrc2=size={size}:rate=30", *SOUND, "-t", "1", "-c:v", "libx264",
                   "-preset", "ultrafast", "-g", "30", "-c:a", "aac", "-output_ts_offset", str(second), part)
            parts.append(part)
        ffmpeg("-i", "concat:" + "|".join(parts), "-c", "copy", path)


def make_index(path):
    ffmpeg("-f", "lavfi", "-i", "testsrc2=size=1920x1080:rate=60", *SOUND, "-t", "20", "-c:v", "mpeg4", "-q:v", "4",
           "-g", "60", "-c:a", "mp3", path)
    with open(path, "r+b") as clip:
        data = bytearray(clip.read())
        at = data.rfind(b"idx1")
        size = struct.unpack_from("<I", data, at + 4)[0]
        rng = random.Random(27)
        for entry in range(at + 8, at + 8 + size - 15, 16):
            flags = struct.unpack_from("<I", data, entry + 4)[0]
            struct.pack_into("<I", data, entry + 4, flags ^ 0x10 if rng.random() < 1 / 2 else flags)
        clip.seek(0)
        clip.write(data)


def make_errors(path):
    ffmpeg("-f", "lavfi", "-i", "testsrc2=size=3840x2160:rate=60", *SOUND, "-t", "20", "-c:v", "libx264",
           "-preset", "ultrafast", "-c:a", "aac", "-movflags", "+faststart", path)
    size = os.path.getsize(path)
    rng = random.Random(27)
    with open(path, "r+b") as clip:
        for share in (0.3, 0.5, 0.7):
            clip.seek(int(size * share))
            clip.write(rng.randbytes(256 * 1024))


CLIPS = {"sizes": ("faults-sizes.ts", 12, make_sizes), "index": ("faults-index.avi", 20, make_index),
         "errors": ("faults-errors.mp4", 20, make_errors)}


def mpris(env, *args):
    done = subprocess.run(["playerctl", "--player=korvoplayer", *args], env=env, capture_output=True, text=True)
    return done.stdout.strip() if done.returncode == 0 else None


def position(env):
    value = mpris(env, "position")
    return float(value) if value else math.nan


def press(env, key, kind, target, limit=5.0):
    """ms from the key until MPRIS shows its effect, nan after `limit` s."""
    before = position(env)
    pressed = time.monotonic()
    subprocess.run(["xdotool", "key", KEYCODES[key]], env=env)
    while time.monotonic() - pressed < limit:
        if kind == "status" and mpris(env, "status") == target:
            return (time.monotonic() - pressed) * 1000
        now = position(env)
        if kind == "ahead" and now >= before + target:
            return (time.monotonic() - pressed) * 1000
        if kind == "back" and now <= before - target:
            return (time.monotonic() - pressed) * 1000
        time.sleep(0.005)
    return math.nan


def run_clip(command, env, seconds):
    with tempfile.TemporaryDirectory(prefix="korvobench-config-") as config:
        launch = time.monotonic()
        player = whole_process.start_player(command, env, config)
        try:
            time.sleep(3)
            overload.focus_player(env)
            result = {f"{n + 1}. {key}": press(env, key, kind, target) for n, (key, kind, target) in enumerate(KEYS)}
            end = math.nan
            while time.monotonic() - launch < seconds + 30 and player.poll() is None:
                if mpris(env, "status") == "Stopped":
                    end = time.monotonic() - launch
                    break
                time.sleep(0.1)
            result["end"] = end
            result["alive"] = "yes" if player.poll() is None and mpris(env, "status") is not None else "no"
            return result
        finally:
            whole_process.end_processes(player)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build")
    parser.add_argument("--media", default="/tmp/korvobench")
    parser.add_argument("--display", default=":173")
    parser.add_argument("--clips", default="sizes,index,errors")
    args = parser.parse_args()
    for tool, package in (("pulseaudio", "pulseaudio"), ("xdotool", "xdotool"), ("playerctl", "playerctl")):
        if shutil.which(tool) is None:
            subprocess.run(["apt-get", "install", "-y", "-q", package], check=True, stdout=subprocess.DEVNULL)
    os.makedirs(args.media, exist_ok=True)
    servers, env = whole_process.start_servers(args.display)
    sound = overload.SoundServer()
    env["PULSE_SERVER"] = sound.address
    try:
        time.sleep(1)
        for clip in args.clips.split(","):
            name, seconds, make = CLIPS[clip]
            path = os.path.join(args.media, name)
            if not os.path.exists(path):
                make(path)
            env["KORVOPLAYER_INSTANCE_TAG"] = f"faults{os.getpid()}-{clip}"
            result = run_clip([os.path.join(args.build, "korvoplayer"), path], env, seconds)
            shown = {k: f"{v:.1f} s" if k == "end" else f"{v:.0f} ms" if isinstance(v, float) else v
                     for k, v in result.items()}
            print(f"{clip:<8} " + "  ".join(f"{k}: {v}" for k, v in shown.items()), flush=True)
    finally:
        sound.close()
        whole_process.stop_servers(servers)


if __name__ == "__main__":
    main()
