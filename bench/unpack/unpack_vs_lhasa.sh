#!/usr/bin/env bash
# Whole-process unpacking speed: `marlipan-ym unpack` against lhasa on the same -lh5-
# archive made by jlha from 7 MiB of song-like and less compressible data, one after the
# other on the same machine. Prints the CPU time (user + system) of each per run, the
# ratio, and hyperfine's wall-clock comparison when hyperfine is installed. Both outputs
# must equal the input byte for byte. Target: lhasa's CPU time / ours >= 1.5.
#
#   bench/unpack/unpack_vs_lhasa.sh [BUILD_DIR] [RUNS] [EARLIER_MARLIPAN_YM]
#
# EARLIER_MARLIPAN_YM, a marlipan-ym built from another commit, is measured in the same
# run, for before-and-after figures.
# Skips (exit 0) when lhasa or jlha is missing; builds its two targets if needed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-${MARLIPAN_BUILD_DIR:-$root/build}}
runs=${2:-30}
earlier=${3:-}

for tool in lhasa jlha; do
    if ! command -v "$tool" > /dev/null; then
        echo "unpack_vs_lhasa: $tool is not installed, skipped"
        exit 0
    fi
done
cmake --build "$build" --target marlipan-ym marlipan-lh5-sample > /dev/null
build=$(cd "$build" && pwd)   # the runs below happen in a scratch folder
if [[ -n "$earlier" ]]; then earlier=$(realpath "$earlier"); fi
# The build's own programs, not a copy staged by the package build.
ym=$build/tools/ym/marlipan-ym
sample=$build/bench/unpack/marlipan-lh5-sample

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$sample" input.bin
jlha c1o5 archive.lzh input.bin > /dev/null
mkdir lhasa-out
"$ym" unpack archive.lzh ours.bin
lhasa xfq2w=lhasa-out archive.lzh
cmp input.bin ours.bin
cmp input.bin lhasa-out/input.bin
if [[ -n "$earlier" ]]; then
    "$earlier" unpack archive.lzh earlier.bin
    cmp input.bin earlier.bin
fi
echo "input $(stat -c %s input.bin) bytes, archive $(stat -c %s archive.lzh) bytes; both outputs equal the input"

# CPU seconds (user + system) per run of a command, from the shell's own child times.
cpu_per_run() {
    local report
    report=$(bash -c 'for ((i = 0; i < $1; ++i)); do "${@:2}" > /dev/null; done; times' _ "$runs" "$@" | tail -n 1)
    # "0m0.123s 0m0.045s": children's user and system time.
    echo "$report" | awk -v n="$runs" '{
        split($1, u, /[ms]/); split($2, s, /[ms]/);
        printf "%.4f %.4f\n", (u[1] * 60 + u[2]) / n, (s[1] * 60 + s[2]) / n }'
}

for _ in 1 2 3; do "$ym" unpack archive.lzh ours.bin; lhasa xfq2w=lhasa-out archive.lzh; done
eu=0 es=0
if [[ -n "$earlier" ]]; then
    read -r eu es < <(cpu_per_run "$earlier" unpack archive.lzh earlier.bin)
fi
read -r ou os < <(cpu_per_run "$ym" unpack archive.lzh ours.bin)
read -r lu ls < <(cpu_per_run lhasa xfq2w=lhasa-out archive.lzh)
awk -v ou="$ou" -v os="$os" -v lu="$lu" -v ls="$ls" -v eu="$eu" -v es="$es" -v n="$runs" 'BEGIN {
    printf "CPU per run over %d runs (user + system):\n", n
    if (eu + es > 0)
        printf "  earlier marlipan-ym %.4f s  (user %.4f, system %.4f)\n", eu + es, eu, es
    printf "  marlipan-ym unpack  %.4f s  (user %.4f, system %.4f)\n", ou + os, ou, os
    printf "  lhasa               %.4f s  (user %.4f, system %.4f)\n", lu + ls, lu, ls
    if (eu + es > 0) printf "  lhasa / earlier marlipan-ym = %.2f\n", (lu + ls) / (eu + es)
    printf "  lhasa / marlipan-ym = %.2f (target >= 1.5)\n", (lu + ls) / (ou + os) }'

if command -v hyperfine > /dev/null; then
    commands=("$ym unpack archive.lzh ours.bin" "lhasa xfq2w=lhasa-out archive.lzh")
    [[ -n "$earlier" ]] && commands=("$earlier unpack archive.lzh earlier.bin" "${commands[@]}")
    hyperfine -N --warmup 3 --runs "$runs" "${commands[@]}"
fi
