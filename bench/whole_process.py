#!/usr/bin/env python3
"""Whole processes as a user starts them: korvoplayer against gst-play-1.0,
mpv (its default output) and mpv --vo=x11, on clips made here with ffmpeg.

For each clip and round, the players run one after the other in an order
that rotates between rounds, each on an X server of the benchmark's own
(Xvfb, no GPU, no sound device), and give:

  first   seconds from the launch to the first picture on screen, read from
          the X server by screen_watch (see bench/ScreenWatch.cpp: every
          picture carries an orange band with its number in 12 cells);
  cpu     CPU seconds (user + system, /proc/PID/stat) over COUNT seconds of
          steady playback, which starts WARMUP seconds after the first
          picture;
  fps     different pictures seen on screen per second over the same span;
  rss     resident memory (VmRSS) sampled every half second over the span,
          median, in MiB;
  peak    the process's peak resident memory (VmHWM) at the end, in MiB;
  paused  resident memory after PAUSE seconds paused, right after the span
          (median of its samples, in MiB): korvoplayer is paused through
          MPRIS with playerctl on a session bus of the benchmark's own, mpv
          through its IPC socket; gst-play-1.0 is not paused (nan).

Printed: the median of each measure over the rounds, and the ratios
korvoplayer / each peer (lower is better; for fps higher is better).

usage: bench/whole_process.py BUILD-DIR [--rounds N] [--count S] [--pause S]
       [--media DIR] [--display :N] [--clips wmv,avi,mp4]
       [--players korvoplayer,gst-play,mpv,mpv-x11]

--pause 0 leaves out the paused measure; --players runs only those named
(the ratios need korvoplayer among them).
"""
import argparse
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

CLIPS = {
    # name: (file, size, ffmpeg video codec options)
    "wmv": ("bench-720p.wmv", "1280x720", ["-c:v", "wmv2", "-b:v", "3M", "-c:a", "wmav2", "-f", "asf"]),
    "avi": ("bench-720p.avi", "1280x720", ["-c:v", "mpeg4", "-q:v", "4", "-c:a", "libmp3lame"]),
    "mp4": ("bench-1080p.mp4", "1920x1080", ["-c:v", "libx264", "-preset", "fast", "-crf", "23", "-pix_fmt", "yuv420p",
                                             "-c:a", "aac"]),
}


def band_filters(height):
    """ffmpeg filters that draw the band screen_watch looks for: orange over
    the picture's number in 12 black or white cells (bit 0 leftmost)."""
    band = height // 16
    filters = [f"drawbox=x=0:y=0:w=iw:h={band}:color=0xFF8000:t=fill",
               f"drawbox=x=0:y={band}:w=iw:h={band}:color=black:t=fill"]
    for bit in range(12):
        filters.append(f"drawbox=x={bit}*iw/12:y={band}:w=iw/12:h={band}:color=white:t=fill:"
                       f"enable='eq(mod(floor(n/{2 ** bit}),2),1)'")
    return filters


def make_clip(path, size, codec, seconds):
    if os.path.exists(path):
        return
    height = int(size.split("x")[1])
    part = os.path.join(os.path.dirname(path), "part-" + os.path.basename(path))
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "lavfi", "-i", f"testsrc2=size={size}:rate=30",
                    "-f", "lavfi", "-i", "sine=frequency=440", "-t", str(seconds), "-vf",
                    ",".join(band_filters(height))] + codec + [part], check=True)
    os.rename(part, path)


def proc_cpu(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def proc_status(pid, key):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(key + ":"):
                return int(line.split()[1]) / 1024.0
    return 0.0


def sample_rss(pid, seconds):
    rss = []
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        rss.append(proc_status(pid, "VmRSS"))
        time.sleep(0.5)
    return rss


def start_servers(display):
    """An X server (Xvfb) on the display and a session bus of the
    benchmark's own; gives them and the environment that reaches them."""
    server = subprocess.Popen(["Xvfb", display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp", "-noreset"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"], stdout=subprocess.PIPE,
                           text=True)
    return (server, bus), dict(os.environ, DISPLAY=display, DBUS_SESSION_BUS_ADDRESS=bus.stdout.readline().strip())


def stop_servers(servers):
    for process in servers:
        process.terminate()
        process.wait()


def end_processes(player, *watchers):
    """Asks the player to end (kills it after 5 s) and kills the watchers."""
    player.send_signal(signal.SIGTERM)
    try:
        player.wait(5)
    except subprocess.TimeoutExpired:
        player.kill()
        player.wait()
    for watcher in watchers:
        watcher.kill()
        watcher.wait()


def start_player(command, env, config):
    """Starts a player with a configuration folder of the run's own: a
    player that remembers where a file was left would otherwise resume the
    next run's file there, and its volume would carry over."""
    return subprocess.Popen(command, env=dict(env, XDG_CONFIG_HOME=config), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def run_one(command, pause, env, watch, count, warmup, pause_seconds):
    with tempfile.TemporaryDirectory(prefix="korvobench-config-") as config:
        return measure_one(command, pause, env, watch, count, warmup, pause_seconds, config)


def measure_one(command, pause, env, watch, count, warmup, pause_seconds, config):
    watcher = subprocess.Popen([watch, "20", str(warmup), str(count)], stdout=subprocess.PIPE, text=True, env=env)
    time.sleep(0.3)  # the watcher is up and looking before the launch
    launch = time.monotonic()
    player = start_player(command, env, config)
    result = {}
    try:
        line = watcher.stdout.readline().split()
        if not line or line[0] != "first":
            return None
        first = float(line[1])
        result["first"] = first - launch
        while time.monotonic() < first + warmup:
            time.sleep(0.01)
        cpu_start = proc_cpu(player.pid)
        rss = sample_rss(player.pid, count)
        result["cpu"] = proc_cpu(player.pid) - cpu_start
        result["rss"] = statistics.median(rss)
        result["peak"] = max([proc_status(player.pid, "VmHWM")] + rss)
        shown = watcher.stdout.readline().split()
        result["fps"] = int(shown[1]) / float(shown[2]) if shown and shown[0] == "shown" else 0.0
        result["paused"] = float("nan")
        if pause is not None and pause_seconds > 0 and subprocess.run(pause, env=env, stdout=subprocess.DEVNULL,
                                                stderr=subprocess.DEVNULL).returncode == 0:
            result["paused"] = statistics.median(sample_rss(player.pid, pause_seconds))
        return result
    except (FileNotFoundError, ProcessLookupError):
        return None
    finally:
        end_processes(player, watcher)


def run_arguments(display):
    """The options every whole-process run takes, for this benchmark and
    those built on it; `display` is the X server number each uses."""
    parser = argparse.ArgumentParser(description=sys.modules["__main__"].__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--count", type=float, default=30.0)
    parser.add_argument("--warmup", type=float, default=3.0)
    parser.add_argument("--media", default="/tmp/korvobench")
    parser.add_argument("--display", default=display)
    return parser


def install_mpv():
    if shutil.which("mpv") is None:
        subprocess.run(["apt-get", "install", "-y", "-q", "mpv"], check=True, stdout=subprocess.DEVNULL)


def main():
    parser = run_arguments(":171")
    parser.add_argument("--pause", type=float, default=5.0)
    parser.add_argument("--clips", default="wmv,avi,mp4")
    parser.add_argument("--players", default="korvoplayer,gst-play,mpv,mpv-x11")
    args = parser.parse_args()
    install_mpv()
    os.makedirs(args.media, exist_ok=True)
    seconds = int(args.warmup + args.count + 15)
    watch = os.path.join(args.build, "bench", "screen_watch")
    player = os.path.join(args.build, "korvoplayer")
    servers, env = start_servers(args.display)
    ipc = f"/tmp/korvobench-mpv-{os.getpid()}.sock"
    mpv = ["mpv", "--no-config", "--really-quiet", f"--input-ipc-server={ipc}"]
    mpv_pause = ["python3", "-c", "import socket, sys; s = socket.socket(socket.AF_UNIX); s.connect(sys.argv[1]); "
                 "s.sendall(b'{\"command\": [\"set_property\", \"pause\", true]}\\n'); s.recv(256)", ipc]
    # (label, command for a file, command that pauses it or None)
    players = [("korvoplayer", lambda f: [player, f], ["playerctl", "-p", "korvoplayer", "pause"]),
               ("gst-play", lambda f: ["gst-play-1.0", "--no-interactive", f], None),
               ("mpv", lambda f: mpv + [f], mpv_pause),
               ("mpv-x11", lambda f: mpv + ["--vo=x11", f], mpv_pause)]
    players = [p for p in players if p[0] in args.players.split(",")]
    measures = ["first", "cpu", "fps", "rss", "peak", "paused"]
    try:
        time.sleep(1)
        for clip in args.clips.split(","):
            name, size, codec = CLIPS[clip]
            path = os.path.join(args.media, name)
            make_clip(path, size, codec, seconds)
            subprocess.run(["cat", path], stdout=subprocess.DEVNULL)
            results = {p: {m: [] for m in measures} for p, _, _ in players}
            for r in range(args.rounds):
                order = players[r % len(players):] + players[:r % len(players)]
                for label, command, pause in order:
                    # A player instance of its own each time, whatever is left of the last one.
                    env["KORVOPLAYER_INSTANCE_TAG"] = f"bench{os.getpid()}-{clip}-{r}"
                    one = run_one(command(path), pause, env, watch, args.count, args.warmup, args.pause)
                    print(f"  {clip} round {r + 1} {label}: {one}", file=sys.stderr, flush=True)
                    for m in measures:
                        if one is not None:
                            results[label][m].append(one[m])
            print(f"\n{clip} ({name}, {size}, 30 fps), medians of {args.rounds} rounds")
            print(f"{'player':<12}" + "".join(f"{m:>10}" for m in measures))
            med = {p: {m: statistics.median(v) if v else float('nan') for m, v in results[p].items()} for p in results}
            for label, _, _ in players:
                print(f"{label:<12}" + "".join(f"{med[label][m]:>10.3f}" for m in measures))
            for label, _, _ in players[1:] if players[0][0] == "korvoplayer" else []:
                print(f"{'ours/' + label:<12}" + "".join(
                    f"{med['korvoplayer'][m] / med[label][m] if med[label][m] else float('nan'):>10.3f}"
                    for m in measures))
            sys.stdout.flush()
    finally:
        stop_servers(servers)


if __name__ == "__main__":
    main()
