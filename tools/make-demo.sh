#!/bin/bash
# Makes a short demo source for trying the program: demo.mkv with H.264 video at
# 23.976 fps, a French DTS 5.1 track delayed by 1 s 23 ms, an English AC3 stereo
# track and French subtitles. Needs ffmpeg and mkvmerge; works offline.
# Usage: tools/make-demo.sh [FOLDER]   (default: samples/)
set -euo pipefail

out_dir=${1:-samples}
seconds=4
target="$out_dir/demo.mkv"

for tool in ffmpeg mkvmerge; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "make-demo: $tool is missing (Debian packages ffmpeg and mkvtoolnix)" >&2
    exit 1
  fi
done

mkdir -p "$out_dir"
if [ -e "$target" ]; then
  echo "make-demo: $target already exists; remove it first to make a new one" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ff=(ffmpeg -hide_banner -loglevel error -nostdin)

# Video: a moving test pattern, H.264 in a Matroska shell so the rate is kept.
"${ff[@]}" -f lavfi -i "testsrc2=size=640x360:rate=24000/1001" -t "$seconds" \
  -c:v libx264 -preset ultrafast -pix_fmt yuv420p "$work/video.mkv"

# French DTS 5.1: one tone per channel.
"${ff[@]}" -f lavfi \
  -i "aevalsrc=0.2*sin(2*PI*440*t)|0.2*sin(2*PI*550*t)|0.2*sin(2*PI*660*t)|0.2*sin(2*PI*60*t)|0.2*sin(2*PI*330*t)|0.2*sin(2*PI*880*t):s=48000:c=5.1" \
  -t "$seconds" -c:a dca -strict experimental -b:a 768k "$work/french.dts"

# English AC3 stereo.
"${ff[@]}" -f lavfi -i "sine=frequency=523:sample_rate=48000" -t "$seconds" \
  -ac 2 -c:a ac3 -b:a 192k "$work/english.ac3"

# French subtitles.
cat >"$work/french.srt" <<'EOF'
1
00:00:00,500 --> 00:00:01,800
Bonjour, ceci est une démonstration.

2
00:00:02,000 --> 00:00:03,500
Préparez vos mkv pour votre box !
EOF

mkvmerge --quiet -o "$target" \
  --language 0:und "$work/video.mkv" \
  --language 0:fre --track-name "0:Français DTS 5.1" --sync 0:1023 "$work/french.dts" \
  --language 0:eng "$work/english.ac3" \
  --language 0:fre --sub-charset 0:UTF-8 "$work/french.srt"

echo "make-demo: wrote $target"
