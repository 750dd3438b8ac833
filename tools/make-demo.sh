#!/usr/bin/env bash
# Makes the demo clip the player opens when it is started without a file:
# 20 s of 854x480 WMV with WMA sound, the built-in logo animation over a
# slowly moving gradient and a soft chord, fading in and out.
# Usage: tools/make-demo.sh OUTPUT
set -euo pipefail
output=${1:?usage: make-demo.sh OUTPUT}
cd "$(dirname "$0")/.."
mkdir -p "$(dirname "$output")"
chord() { # a chord on A with a slow swell; $1 detunes the second channel
    echo "0.5*(0.16*sin(2*PI*(220+$1)*t)+0.12*sin(2*PI*(277.18+$1)*t)+0.10*sin(2*PI*(329.63+$1)*t)+0.06*sin(2*PI*(440+$1)*t))*(0.75+0.25*sin(2*PI*0.5*t+$1))"
}
ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i "gradients=s=854x480:r=25:c0=0x081226:c1=0x10305a:c2=0x0b4a60:c3=0x161a40:nb_colors=4:speed=0.015:d=20" \
    -ignore_loop 0 -i resources/logo/logo.gif \
    -f lavfi -i "aevalsrc='$(chord 0)|$(chord 0.7)':s=44100:d=20" \
    -filter_complex "[1:v]fps=25,scale=480:360:flags=lanczos,format=gbrp,curves=all='0/0 0.12/0 1/1',pad=854:480:(ow-iw)/2:(oh-ih)/2:black[logo];
                     [0:v]format=gbrp[ground];
                     [ground][logo]blend=all_mode=screen:shortest=1,format=yuv420p,fade=t=in:d=1,fade=t=out:st=19:d=1[v];
                     [2:a]afade=t=in:d=1,afade=t=out:st=18:d=2[a]" \
    -map "[v]" -map "[a]" -t 20 -c:v wmv2 -q:v 2 -c:a wmav2 -b:a 128k -f asf "$output.part"
mv "$output.part" "$output"
