#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a while, one after
# the other. Every reader of outside input has one:
#   tga, frame_file   quorbel's TGA loader and frame-file parser
#   wav, mp3          vishost's WAV reader; its MP3 frame scanner and ID3 tag reader
#   settings          plugin.ini through the stand-in's profile reader, and the dialog's numbers
#   titles            the title and time texts from arbitrary host replies and positions
#
# usage: tools/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]     (default: 600 s, every target)
#        tools/fuzz.sh --check [SECONDS_PER_TARGET] [TARGET...]   (default: 12 s; make test-fuzz)
# Builds into build/fuzz/; corpora grow in build/fuzz/corpus-<target>/ (seeded by the asset
# generator and tools/fuzz/fuzz-seeds.py), logs are build/fuzz/fuzz_<target>.log, and a crash is
# saved as build/fuzz/crash-<target>-* and makes the script exit non-zero. Each run's last
# line (executions, run time) is printed. FUZZ_JOBS=0 only builds.
# Every run also starts from tools/fuzz/regressions/<target>/: inputs that once crashed a reader.
# --check runs each target over its corpus and those inputs, then fuzzes a few seconds more,
# writing new inputs and its log to a folder of its own (other runs may share the checkout).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/fuzz"
check=0
[ "${1:-}" != --check ] || { check=1; shift; }
seconds=${1:-$([ $check = 1 ] && echo 12 || echo 600)}
shift || true
all=(tga frame_file wav mp3 settings titles)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
for t in "${targets[@]}"; do
  [[ " ${all[*]} " == *" $t "* ]] || { echo "fuzz: unknown target '$t' (targets: ${all[*]})" >&2; exit 2; }
done

mkdir -p "$out/obj"
cxx=${CXX_FUZZ:-clang++}
# Every sanitizer report ends the run.
sanitize=(-fsanitize=address,undefined -fno-sanitize-recover=undefined)
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# The settings target writes its plugin.ini for every input: keep that in memory.
export TMPDIR=${TMPDIR_FUZZ:-/dev/shm}
flags=(-std=c++20 -g -O1 "${sanitize[@]}")
# Objects built with other flags are built again.
[ "$(cat "$out/obj/flags" 2>/dev/null)" = "$cxx ${flags[*]}" ] || { rm -f "$out"/obj/*.o; echo "$cxx ${flags[*]}" >"$out/obj/flags"; }

# One object per source, rebuilt when the source or a header beside it is newer.
object() {
  local source=$1; shift
  local obj="$out/obj/$(echo "${source#$root/}" | tr / _).o"
  if [ ! -f "$obj" ] || [ -n "$(find "$(dirname "$source")" -maxdepth 1 -newer "$obj" -name '*.h' -o -maxdepth 1 -newer "$obj" -name "$(basename "$source")")" ]; then
    "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link "$@" -c "$source" -o "$obj.$$" && mv "$obj.$$" "$obj"
  fi
  echo "$obj"
}

link() {
  local name=$1; shift
  "$cxx" "${flags[@]}" -fsanitize=fuzzer "$@" -o "$out/fuzz_$name.$$" && mv "$out/fuzz_$name.$$" "$out/fuzz_$name"
}

plugin_objects() {
  local source
  for source in $(find "$root/plugin" -name '*.cpp' -not -path '*/fuzz/*' -not -path '*/platform/*' | sort) \
                "$root"/plugin/platform/standin/*.cpp; do
    object "$source" -I"$root/plugin" -I"$root/plugin/platform"
  done
}

build() {
  case $1 in
    tga) link tga "$(object "$root/viewer/fuzz/fuzz_tga.cpp" -I"$root/viewer")" \
                  "$(object "$root/viewer/tga.cpp" -I"$root/viewer")" -lGL ;;
    frame_file) link frame_file "$(object "$root/viewer/fuzz/fuzz_frame_file.cpp" -I"$root/viewer")" \
                  "$(object "$root/viewer/frame_reader.cpp" -I"$root/viewer")" ;;
    wav) link wav "$(object "$root/host/fuzz/fuzz_wav.cpp" -I"$root/host/input")" \
                  "$(object "$root/host/input/wav_reader.cpp" -I"$root/host/input")" ;;
    mp3) link mp3 "$(object "$root/host/fuzz/fuzz_mp3.cpp" -I"$root/host/input")" \
                  "$(object "$root/host/input/mp3_stream.cpp" -I"$root/host/input")" ;;
    settings|titles)
      local target_source=$root/tests/plugin/fuzz/fuzz_$1.cpp
      [ "$1" = titles ] && target_source=$root/tests/plugin/fuzz/fuzz_title_time.cpp
      # shellcheck disable=SC2046
      link "$1" "$(object "$target_source" -I"$root/plugin" -I"$root/plugin/platform" -I"$root/tests/plugin")" \
        "$(object "$root/tests/plugin/plugin_state.cpp" -I"$root/plugin" -I"$root/plugin/platform")" $(plugin_objects) ;;
  esac
}

seed() {
  if [ ! -f "$out/seeds/textures/circles.tga" ]; then
    g++ -std=c++20 -O2 "$root"/tools/assets/*.cpp -o "$out/asset-generator"
    "$out/asset-generator" --viewer "$out/seeds"
  fi
  mkdir -p "$out/corpus-tga"
  # Small images keep the fuzzer quick; the 512 x 512 backgrounds are left out.
  for f in circles circles_boom circles_flower bars; do cp -n "$out/seeds/textures/$f.tga" "$out/corpus-tga/"; done
  python3 "$root/tools/fuzz/fuzz-seeds.py" "$out"
}

for t in "${targets[@]}"; do build "$t"; done
seed
[ "${FUZZ_JOBS:-1}" != 0 ] || exit 0

# Runs target $1 for $2 seconds in folder $3, logging to $4; the first corpus folder is the one
# that grows, the others (the seeds, the regressions) are only read.
fuzz() {
  local t=$1 time=$2 work=$3 log=$4; shift 4
  local regressions=$root/tools/fuzz/regressions/$t
  [ -d "$regressions" ] || regressions=
  ( cd "$work" && "$out/fuzz_$t" -max_total_time="$time" -max_len=1100000 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$out/crash-$t-" "$@" ${regressions:+"$regressions"} ) >"$log" 2>&1
}

status=0
scratch=""
trap 'rm -rf "$scratch"' EXIT
for t in "${targets[@]}"; do
  echo "fuzz: $t for ${seconds}s"
  if [ $check = 1 ]; then
    scratch=$(mktemp -d "${TMPDIR:-/tmp}/fuzz-check-$t.XXXXXX")
    mkdir "$scratch/corpus"
    log=$scratch/fuzz_$t.log
    fuzz "$t" "$seconds" "$scratch" "$log" "$scratch/corpus" "$out/corpus-$t" || status=1
  else
    mkdir -p "$out/work-$t"
    log=$out/fuzz_$t.log
    fuzz "$t" "$seconds" "$out/work-$t" "$log" "$out/corpus-$t" || status=1
  fi
  grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb|Done [0-9]+ runs)' "$log" || true
  grep -E 'ERROR|SUMMARY|runtime error|Test unit written' "$log" | head -5 || true
  [ $check = 0 ] || rm -rf "$scratch"
  scratch=""
done
[ $status = 0 ] || echo "fuzz: a reader crashed or showed undefined behaviour (its input is build/fuzz/crash-*)" >&2
exit $status
