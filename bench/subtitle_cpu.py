#!/usr/bin/env python3
"""What subtitles cost: korvoplayer's CPU over COUNT seconds of the 1080p
clip (the whole-process benchmark's, see whole_process.py) with a subtitle
line on the picture all the time, against the same clip without subtitles,
and against mpv (--vo=x11 and its default output) with the same subtitle
file, in one run.

The subtitle file is SubRip, one two-line cue every two seconds, back to
back from the first picture to the last, Latin and Hangul, so that the text
on the picture changes as it does in a film. korvoplayer finds it beside the
clip, as a user's file is found; the clip without subtitles is the same file
in a folder of its own. mpv is given the file with --sub-file.

Printed: the medians over the rounds of cpu (CPU seconds, user + system),
fps (pictures shown per second) and first (seconds to the first picture) of
each run, then what subtitles cost korvoplayer (subs / plain - 1) and
korvoplayer's CPU with subtitles against each mpv's with them.

usage: bench/subtitle_cpu.py BUILD-DIR [--rounds N] [--count S] [--warmup S]
       [--media DIR] [--display :N]
"""
import os
import shutil
import statistics
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import whole_process as wp  # noqa: E402

LINES = [("The subtitle line stays on the picture", "자막이 화면에 계속 보입니다"),
         ("while the film plays on underneath it", "영화는 그 아래에서 계속됩니다")]


def stamp(seconds):
    return f"{seconds // 3600:02d}:{seconds // 60 % 60:02d}:{seconds % 60:02d},000"


def write_subtitles(path, seconds):
    with open(path, "w", encoding="utf-8") as f:
        for n, start in enumerate(range(0, seconds, 2)):
            first, second = LINES[n % len(LINES)]
            f.write(f"{n + 1}\n{stamp(start)} --> {stamp(start + 2)}\n{first} {n + 1}\n{second}\n\n")


def main():
    args = wp.run_arguments(":172").parse_args()
    wp.install_mpv()
    seconds = int(args.warmup + args.count + 15)
    name, size, codec = wp.CLIPS["mp4"]
    plain_dir = os.path.join(args.media, "plain")
    subs_dir = os.path.join(args.media, "subtitled")
    for folder in (plain_dir, subs_dir):
        os.makedirs(folder, exist_ok=True)
    plain = os.path.join(plain_dir, name)
    subbed = os.path.join(subs_dir, name)
    wp.make_clip(plain, size, codec, seconds)
    if not os.path.exists(subbed):
        shutil.copyfile(plain, subbed)
    srt = os.path.splitext(subbed)[0] + ".srt"
    write_subtitles(srt, seconds)
    watch = os.path.join(args.build, "bench", "screen_watch")
    player = os.path.join(args.build, "korvoplayer")
    mpv = ["mpv", "--no-config", "--really-quiet", f"--sub-file={srt}"]
    runs = [("korvoplayer", [player, plain]),
            ("korvoplayer+subs", [player, subbed]),
            ("mpv+subs", mpv + [subbed]),
            ("mpv-x11+subs", mpv + ["--vo=x11", subbed])]
    measures = ["cpu", "fps", "first"]
    results = {label: {m: [] for m in measures} for label, _ in runs}
    servers, env = wp.start_servers(args.display)
    try:
        for r in range(args.rounds):
            for label, command in runs[r % len(runs):] + runs[:r % len(runs)]:
                env["KORVOPLAYER_INSTANCE_TAG"] = f"subbench{os.getpid()}-{r}-{label}"
                one = wp.run_one(command, None, env, watch, args.count, args.warmup, 0)
                print(f"  round {r + 1} {label}: {one}", file=sys.stderr, flush=True)
                for m in measures:
                    if one is not None:
                        results[label][m].append(one[m])
    finally:
        wp.stop_servers(servers)
    med = {label: {m: statistics.median(v) if v else float("nan") for m, v in results[label].items()}
           for label in results}
    print(f"\n{name} ({size}, 30 fps) with a subtitle line always shown, medians of {args.rounds} rounds")
    print(f"{'run':<18}" + "".join(f"{m:>10}" for m in measures))
    for label, _ in runs:
        print(f"{label:<18}" + "".join(f"{med[label][m]:>10.3f}" for m in measures))
    ours = med["korvoplayer+subs"]["cpu"]
    print(f"\nwhat subtitles cost korvoplayer: {ours / med['korvoplayer']['cpu'] - 1:+.1%} of its CPU")
    for label in ("mpv+subs", "mpv-x11+subs"):
        print(f"korvoplayer+subs / {label}: {ours / med[label]['cpu']:.3f}")


if __name__ == "__main__":
    main()
