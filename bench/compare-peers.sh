#!/usr/bin/env bash
# Times `morvkit pitch` against the YIN runs a user would otherwise pick (aubio-tools), on the same
# generated files, in one run, with the cost of merely decoding the file as the floor.  Whole
# processes, best of N runs each, so start-up and file reading count as they do for a user.
#
#   bench/compare-peers.sh [MORVKIT] [RUNS]
#
# MORVKIT defaults to build/tools/morvkit/morvkit; RUNS to 5.  Needs sox; the aubio rows are
# skipped where aubio-tools is not installed.
set -euo pipefail
cd "$(dirname "$0")/.."
morvkit=${1:-build/tools/morvkit/morvkit}
runs=${2:-5}
command -v sox >/dev/null || { echo "compare-peers: needs sox" >&2; exit 2; }
[ -x "$morvkit" ] || { echo "compare-peers: no $morvkit (build first)" >&2; exit 2; }
have_aubio=0; command -v aubiopitch >/dev/null && have_aubio=1

dir=$(mktemp -d); trap 'rm -rf "$dir"' EXIT
# A gliding sawtooth over a little noise: voiced everywhere, so every analysis does its full work.
sox -n -r 44100 -b 16 -c 1 "$dir/long.wav" synth 60 sawtooth 110:660 synth 60 whitenoise mix vol 0.5
sox -n -r 44100 -b 16 -c 1 "$dir/short.wav" synth 10 sawtooth 110:660 synth 10 whitenoise mix vol 0.5

best() {  # best <label> <command...>: prints the label and the best wall time of $runs runs
    local label=$1 t b=""; shift
    for ((i = 0; i < runs; i++)); do
        local s e
        s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N)
        t=$(echo "$e - $s" | bc -l)
        if [ -z "$b" ] || [ "$(echo "$t < $b" | bc -l)" = 1 ]; then b=$t; fi
    done
    printf '%s\t%.3f\n' "$label" "$b"
}

jobs_supported=0; "$morvkit" pitch --help 2>&1 | grep -q -- '--jobs' && jobs_supported=1
{
    best "decode floor, 60 s (sox to raw floats)" sox "$dir/long.wav" -t f32 /dev/null
    best "morvkit pitch, defaults, 60 s" "$morvkit" pitch --quiet "$dir/long.wav" --output /dev/null
    if ((jobs_supported)); then
        best "morvkit pitch, defaults, 60 s, --jobs 1" "$morvkit" pitch --quiet --jobs 1 "$dir/long.wav" --output /dev/null
    fi
    ((have_aubio)) && best "aubiopitch -p yin -r 11025 -B 512 -H 64, 60 s" \
        aubiopitch -i "$dir/long.wav" -p yin -r 11025 -B 512 -H 64
    best "morvkit pitch --down 0 --minfreq 20, 10 s" "$morvkit" pitch --quiet "$dir/short.wav" --down 0 --minfreq 20 --output /dev/null
    if ((jobs_supported)); then
        best "morvkit pitch --down 0 --minfreq 20, 10 s, --jobs 1" "$morvkit" pitch --quiet --jobs 1 "$dir/short.wav" --down 0 --minfreq 20 --output /dev/null
    fi
    ((have_aubio)) && best "aubiopitch -p yinfast -B 4096 -H 256, 10 s" \
        aubiopitch -i "$dir/short.wav" -p yinfast -B 4096 -H 256
} | tee "$dir/times.tsv" | column -t -s $'\t'

if ((have_aubio)); then
    awk -F'\t' '
        /^morvkit pitch, defaults, 60 s\t/ { md = $2 }
        /^morvkit pitch, defaults, 60 s, --jobs 1/ { md1 = $2 }
        /^aubiopitch -p yin / { ay = $2 }
        /^morvkit pitch --down 0 --minfreq 20, 10 s\t/ { mf = $2 }
        /^morvkit pitch --down 0 --minfreq 20, 10 s, --jobs 1/ { mf1 = $2 }
        /^aubiopitch -p yinfast/ { af = $2 }
        END {
            printf "\nratios (peer time / morvkit time; above 1 means morvkit is faster)\n"
            printf "  defaults, 60 s:                 %.2f\n", ay / md
            if (md1) printf "  defaults, 60 s, --jobs 1:       %.2f\n", ay / md1
            printf "  down 0, minfreq 20, 10 s:       %.2f\n", af / mf
            if (mf1) printf "  down 0, minfreq 20, 10 s, --jobs 1: %.2f\n", af / mf1
        }' "$dir/times.tsv"
else
    echo "(aubio-tools is not installed: no peer rows)"
fi
