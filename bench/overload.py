#!/usr/bin/env python3
"""Files heavier than the machine: korvoplayer against mpv --vo=x11 and mpv's
default output, one after the other in the same run, on 2160p clips made
here with ffmpeg, each played for SECONDS with its sound.

Clips (3840x2160, H.264 and HEVC in MP4 with AAC sound):
  h264-60   H.264 at 60 pictures a second (heavier than two cores);
  hevc10    HEVC Main 10 at 30 pictures a second (heavier than two cores);
  h264-30   H.264 at 30 pictures a second, the control.
Each picture carries the band with its number that screen_watch reads (see
bench/ScreenWatch.cpp) and, once a second, a white flash; the sound is a
steady 440 Hz tone with a 50 ms beep at 1 kHz at the start of every second,
in step with the flash. A piece of a few seconds is encoded once and
repeated without re-encoding to the length needed (the numbers repeat with
it).

Everything runs on servers of the benchmark's own: an X server (Xvfb,
1920x1080x24, no GPU) and a PulseAudio server whose only output is a null
sink; its monitor is recorded throughout. For each player and clip:

  first    seconds from the launch to the first picture on screen;
  fps      pictures put on the screen per second (X damage), outside the
           pause below;
  worst    the longest time between two pictures, outside the pause, in ms
           (pictures dropped evenly keep it near 1/fps);
  gaps     silences of 5 ms or more inside the sound while it plays, and
           their total length in ms;
  offset   the flash's picture time minus its beep's time in the recording,
           in ms: the median over the first and the last 10 s and the
           largest magnitude (positive: the picture comes late);
  pause    ms from Space (sent through XTEST by xdotool) to the sound's
           silence; resume: ms from the second Space to the next picture;
  cpu      the player's CPU seconds over the span counted (/proc/PID/stat).

usage: bench/overload.py BUILD-DIR [--seconds S] [--rounds N] [--media DIR]
       [--display :N] [--clips h264-60,hevc10,h264-30]
       [--players korvoplayer,mpv,mpv-x11] [--details DIR]
"""
import argparse
import array
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.dont_write_bytecode = True  # no __pycache__ beside the benchmarks
import whole_process  # noqa: E402

RATE = 48000
SIZE = "3840x2160"
CLIPS = {
    # name: (file, pictures a second, seconds encoded, ffmpeg video codec options)
    "h264-60": ("overload-2160p60-h264.mp4", 60, 10,
                ["-c:v", "libx264", "-preset", "veryfast", "-crf", "23", "-pix_fmt", "yuv420p"]),
    # x265 is slow at 2160p: a shorter piece, repeated more often.
    "hevc10": ("overload-2160p30-hevc10.mp4", 30, 4,
               ["-c:v", "libx265", "-preset", "ultrafast", "-crf", "24", "-pix_fmt", "yuv420p10le",
                "-profile:v", "main10", "-tag:v", "hvc1", "-x265-params", "log-level=error"]),
    "h264-30": ("overload-2160p30-h264.mp4", 30, 10,
                ["-c:v", "libx264", "-preset", "veryfast", "-crf", "23", "-pix_fmt", "yuv420p"]),
}
SPACE_KEYCODE = "65"


def make_overload_clip(path, fps, base_seconds, codec, seconds):
    if os.path.exists(path):
        return
    base = os.path.join(os.path.dirname(path), "base-" + os.path.basename(path))
    if not os.path.exists(base):
        flash = f"drawbox=x=iw/4:y=ih/4:w=iw/2:h=ih/2:color=white:t=fill:enable='eq(mod(n,{fps}),0)'"
        video = ",".join([flash] + whole_process.band_filters(int(SIZE.split("x")[1])))
        part = base + ".part.mp4"
        subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i", f"testsrc2=size={SIZE}:rate={fps}",
                        "-t", str(base_seconds), "-vf", video, "-an"] + codec + [part], check=True)
        os.rename(part, base)
    # The sound is made whole for the full length: AAC repeated without
    # re-encoding would carry its encoder's padding, a short silence, at
    # every repeat.
    tone = "0.25*sin(2*PI*440*t)+0.6*lt(mod(t,1),0.05)*sin(2*PI*1000*t)"
    part = path + ".part.mp4"
    loops = seconds // base_seconds + 1
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-stream_loop", str(loops), "-i", base, "-f", "lavfi",
                    "-i", f"aevalsrc=exprs='{tone}':s={RATE}", "-map", "0:v", "-map", "1:a", "-c:v", "copy",
                    "-c:a", "aac", "-b:a", "128k", "-t", str(seconds), part], check=True)
    os.rename(part, path)


class SoundServer:
    """A PulseAudio server of the benchmark's own with one null sink, and a
    recording of its monitor whose samples carry the time they were played."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="korvobench-pulse-")
        socket = os.path.join(self.dir, "native")
        env = dict(os.environ, PULSE_RUNTIME_PATH=self.dir, HOME=self.dir)
        self.server = subprocess.Popen(
            ["pulseaudio", "--daemonize=no", "-n", "--exit-idle-time=-1", "--disallow-exit", "--log-target=stderr",
             "-L", f"module-null-sink sink_name=bench rate={RATE}",
             "-L", f"module-native-protocol-unix socket={socket} auth-anonymous=1"],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.address = f"unix:{socket}"
        for _ in range(100):
            if subprocess.run(["pactl", "-s", self.address, "info"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0:
                return
            time.sleep(0.1)
        raise RuntimeError("the sound server did not start")

    def record(self):
        return Recording(self.address)

    def close(self):
        self.server.terminate()
        self.server.wait()
        shutil.rmtree(self.dir, ignore_errors=True)


class Recording:
    """The null sink's monitor, mono 16-bit. The monitor runs on without a
    break (silence when nothing plays), so sample i was played at
    start + i / RATE; start is the earliest that every chunk read allows."""

    def __init__(self, address):
        self.samples = array.array("h")
        self.start = float("inf")
        self.process = subprocess.Popen(
            ["parec", "-s", address, "-d", "bench.monitor", "--raw", "--format=s16le", f"--rate={RATE}",
             "--channels=1", "--latency-msec=5"], stdout=subprocess.PIPE)
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        pending = b""
        while True:
            chunk = self.process.stdout.read1(8192)
            now = time.monotonic()
            if not chunk:
                return
            pending += chunk
            whole = len(pending) // 2 * 2
            self.samples.frombytes(pending[:whole])
            pending = pending[whole:]
            self.start = min(self.start, now - len(self.samples) / RATE)

    def stop(self):
        self.process.terminate()
        self.process.wait()
        self.thread.join()


def ms_peaks(recording):
    """The largest magnitude of every millisecond of the recording."""
    step = RATE // 1000
    s = recording.samples
    return [max(max(s[i:i + step]), -min(s[i:i + step])) for i in range(0, len(s) - step + 1, step)]


def sound_events(recording, pause_key, resume_key):
    """Beep onsets (seconds), the silences inside the sound (start, ms) and
    the start of the silence after the pause key."""
    peaks = ms_peaks(recording)
    t0 = recording.start
    playing = [p for p in peaks if p > 500]
    if not playing:
        return [], [], None
    tone = statistics.median(playing)
    beeps, gaps, silence_start = [], [], None
    pause_silence = None
    last_beep = -1.0
    first_sound = next(i for i, p in enumerate(peaks) if p > tone / 2)
    last_sound = max(i for i, p in enumerate(peaks) if p > tone / 2)
    for i in range(first_sound, last_sound + 1):
        t = t0 + i / 1000.0
        p = peaks[i]
        if p > 1.8 * tone and t - last_beep > 0.5:
            beeps.append(t)
            last_beep = t
        if p < tone / 5:
            if silence_start is None:
                silence_start = t
        elif silence_start is not None:
            length = (t - silence_start) * 1000
            in_pause = pause_key is not None and pause_key - 0.05 <= silence_start <= resume_key + 1.0
            if in_pause and pause_silence is None and length >= 100:
                pause_silence = max(silence_start, pause_key)
            elif length >= 5 and not in_pause:
                gaps.append((silence_start, length))
            silence_start = None
    return beeps, gaps, pause_silence


def unwrap_pictures(pictures, period):
    """(time, number) with the numbers counted on across the clip's repeats."""
    result, offset, last = [], 0, None
    for t, n in pictures:
        if n < 0:
            continue
        if last is not None and n + offset < last - period // 2:
            offset += period
        result.append((t, n + offset))
        last = n + offset
    return result


def offsets(pictures, beeps, fps):
    """For each beep, its flash's time on the screen minus the beep's, in
    ms. The flash is picture k * fps; when it was dropped, the next picture
    shown stands for it, its time moved back by the pictures between."""
    result = []
    for beep in beeps:
        best = None
        for t, n in pictures:
            k = round(n / fps)
            # Only pictures within a quarter second after a flash stand for it.
            if not 0 <= n - k * fps < fps / 4 or abs(t - beep) > 0.5:
                continue
            flash = t - (n - k * fps) / fps
            if best is None or abs(flash - beep) < abs(best - beep):
                best = flash
        if best is not None:
            result.append((beep, (best - beep) * 1000))
    return result


def focus_player(env):
    """Gives the keyboard to the largest window on the screen: the player's
    (it runs alone on the benchmark's X server, which has no window
    manager). Every other window is taken off the screen, as a user closes
    it: korvoplayer's docked playlist finds no room beside a player as wide
    as the screen and lies over the picture's corner, where the numbers are
    read."""
    found = subprocess.run(["xdotool", "search", "--maxdepth", "1", "--onlyvisible", "--name", "--class", "."], env=env,
                           capture_output=True, text=True).stdout.split()
    best, area = None, -1
    for window in found:
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], env=env,
                                  capture_output=True, text=True).stdout
        values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
        size = int(values.get("WIDTH", 0)) * int(values.get("HEIGHT", 0))
        if size > area:
            best, area = window, size
    for window in found:
        if window != best:
            subprocess.run(["xdotool", "windowunmap", window], env=env, stderr=subprocess.DEVNULL)
    if best is not None:
        subprocess.run(["xdotool", "windowfocus", best], env=env, stderr=subprocess.DEVNULL)
        subprocess.run(["xdotool", "mousemove", "--window", best, "10", "10"], env=env)


def press_space(env):
    subprocess.run(["xdotool", "key", SPACE_KEYCODE], env=env)
    return time.monotonic()


def run_one(command, env, watch, sound, seconds, fps, period):
    with tempfile.TemporaryDirectory(prefix="korvobench-config-") as config:
        return measure_one(command, env, watch, sound, seconds, fps, period, config)


def measure_one(command, env, watch, sound, seconds, fps, period, config):
    span = seconds - 8
    recording = sound.record()
    time.sleep(0.5)
    watcher = subprocess.Popen([watch, "30", "0", str(span), "--log", str(period)], stdout=subprocess.PIPE, text=True,
                               env=env)
    time.sleep(0.3)
    launch = time.monotonic()
    player = whole_process.start_player(command, env, config)
    try:
        line = watcher.stdout.readline().split()
        if not line or line[0] != "first":
            return None
        first = float(line[1])
        watcher.stdout.readline()  # the band
        cpu_start = whole_process.proc_cpu(player.pid)
        # Once as soon as the picture is there, so that the offsets of the
        # first seconds can be read too, and once more for windows shown later.
        for wait in (0.2, 1.8):
            time.sleep(wait)
            focus_player(env)
        while time.monotonic() < first + span / 2:
            time.sleep(0.01)
        pause_key = press_space(env)
        time.sleep(2)
        resume_key = press_space(env)
        out = watcher.communicate()[0]
        cpu = whole_process.proc_cpu(player.pid) - cpu_start
    except (FileNotFoundError, ProcessLookupError):
        return None
    finally:
        whole_process.end_processes(player, watcher)
        recording.stop()
    shown = [(float(f[1]), int(f[2])) for f in (line.split() for line in out.splitlines()) if f[0] == "picture"]
    return analyse(shown, recording, first - launch, cpu, (first, pause_key, resume_key, first + span), fps, period)


def analyse(shown, recording, first, cpu, marks, fps, period):
    start, pause_key, resume_key, end = marks
    playing = [(t, n) for t, n in shown if start + 1 <= t < pause_key or resume_key + 1 <= t < end]
    seconds = (pause_key - start - 1) + (end - resume_key - 1)
    times = [t for t, _ in playing]
    worst = max((b - a for a, b in zip(times, times[1:]) if not (a < resume_key + 1 <= b)), default=float("nan"))
    after_resume = [t for t, _ in shown if t > resume_key]
    beeps, gaps, pause_silence = sound_events(recording, pause_key, resume_key)
    pictures = unwrap_pictures(shown, period)
    offset = offsets(pictures, beeps, fps)
    early = [o for t, o in offset if t < start + 10]
    late = [o for t, o in offset if t > end - 10]
    details = {"pictures": shown, "keys": [pause_key, resume_key], "beeps": beeps, "gaps": gaps,
               "offsets": offset, "start": start, "end": end, "sound start": recording.start,
               "ms peaks": ms_peaks(recording)}
    return details, {
        "first": first,
        "fps": len(playing) / seconds,
        "worst": worst * 1000,
        "gaps": len(gaps),
        "gap ms": sum(length for _, length in gaps),
        "offset@0": statistics.median(early) if early else float("nan"),
        "offset@end": statistics.median(late) if late else float("nan"),
        "|offset|": max((abs(o) for _, o in offset), default=float("nan")),
        "pause": (pause_silence - pause_key) * 1000 if pause_silence else float("nan"),
        "resume": (after_resume[0] - resume_key) * 1000 if after_resume else float("nan"),
        "cpu": cpu,
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build")
    parser.add_argument("--seconds", type=int, default=60)
    parser.add_argument("--rounds", type=int, default=1)
    parser.add_argument("--media", default="/tmp/korvobench")
    parser.add_argument("--display", default=":172")
    parser.add_argument("--clips", default="h264-60,hevc10,h264-30")
    parser.add_argument("--players", default="korvoplayer,mpv,mpv-x11")
    parser.add_argument("--details", help="a folder for each run's pictures, beeps, gaps and offsets (JSON)")
    args = parser.parse_args()
    if args.details:
        os.makedirs(args.details, exist_ok=True)
    for tool, package in (("mpv", "mpv"), ("pulseaudio", "pulseaudio"), ("parec", "pulseaudio-utils"),
                          ("xdotool", "xdotool")):
        if shutil.which(tool) is None:
            subprocess.run(["apt-get", "install", "-y", "-q", package], check=True, stdout=subprocess.DEVNULL)
    os.makedirs(args.media, exist_ok=True)
    watch = os.path.join(args.build, "bench", "screen_watch")
    player = os.path.join(args.build, "korvoplayer")
    servers, env = whole_process.start_servers(args.display)
    sound = SoundServer()
    env["PULSE_SERVER"] = sound.address
    # mpv opens a 2160p window centred on the 1080p screen, its top (and
    # the band) off the screen; a desktop's window manager would fit it to
    # the screen, and so does --autofit-larger (mpv then scales the pictures
    # down as korvoplayer does to its window).
    mpv = ["mpv", "--no-config", "--really-quiet", "--ao=pulse", "--autofit-larger=100%x100%"]
    players = [("korvoplayer", lambda f: [player, f]), ("mpv", lambda f: mpv + [f]),
               ("mpv-x11", lambda f: mpv + ["--vo=x11", f])]
    players = [p for p in players if p[0] in args.players.split(",")]
    try:
        time.sleep(1)
        for clip in args.clips.split(","):
            name, fps, base_seconds, codec = CLIPS[clip]
            path = os.path.join(args.media, name)
            make_overload_clip(path, fps, base_seconds, codec, args.seconds + 10)
            subprocess.run(["cat", path], stdout=subprocess.DEVNULL)
            results = {label: [] for label, _ in players}
            for r in range(args.rounds):
                order = players[r % len(players):] + players[:r % len(players)]
                for label, command in order:
                    env["KORVOPLAYER_INSTANCE_TAG"] = f"overload{os.getpid()}-{clip}-{r}"
                    one = run_one(command(path), env, watch, sound, args.seconds, fps, fps * base_seconds)
                    if one is not None and args.details:
                        with open(os.path.join(args.details, f"{clip}-{label}-{r + 1}.json"), "w") as out:
                            json.dump(one[0], out)
                    one = one[1] if one is not None else None
                    print(f"  {clip} round {r + 1} {label}: {one}", file=sys.stderr, flush=True)
                    if one is not None:
                        results[label].append(one)
            print(f"\n{clip} ({name}, {SIZE}, {fps} fps), medians of {args.rounds} rounds; "
                  f"load: {os.getloadavg()[0]:.2f} {os.getloadavg()[1]:.2f} {os.getloadavg()[2]:.2f}")
            measures = list(next((r[0] for r in results.values() if r), {}).keys())
            print(f"{'player':<12}" + "".join(f"{m:>11}" for m in measures))
            for label, _ in players:
                values = [statistics.median(r[m] for r in results[label]) if results[label] else float("nan")
                          for m in measures]
                print(f"{label:<12}" + "".join(f"{v:>11.3f}" for v in values))
            sys.stdout.flush()
    finally:
        sound.close()
        whole_process.stop_servers(servers)


if __name__ == "__main__":
    main()
