#!/usr/bin/env bash
# Builds quorbel's libFuzzer targets with clang (ASan + UBSan) and runs each for a while.
#
# usage: tools/fuzz-viewer.sh [SECONDS_PER_TARGET] [TARGET...]
#   targets: tga frame_file (default: both, one after the other)
# Builds into build/fuzz/; corpora grow in build/fuzz/corpus-<target>/ and crashes land in
# build/fuzz/crash-<target>-*. The textures drawn by the asset generator and a sample
# frame file seed the corpora.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/fuzz"
seconds=${1:-300}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(tga frame_file)

mkdir -p "$out"
cxx=${CXX_FUZZ:-clang++}
flags=(-std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I"$root/viewer")

build() {
  local name=$1; shift
  "$cxx" "${flags[@]}" "$root/viewer/fuzz/fuzz_$name.cpp" "$@" -o "$out/fuzz_$name"
}
build tga "$root/viewer/tga.cpp" -lGL
build frame_file "$root/viewer/frame_reader.cpp"

# Seeds.
mkdir -p "$out/corpus-tga" "$out/corpus-frame_file"
if [ ! -f "$out/seeds/textures/circles.tga" ]; then
  g++ -std=c++20 -O2 "$root"/tools/assets/*.cpp -o "$out/asset-generator"
  "$out/asset-generator" --viewer "$out/seeds"
fi
# Small images keep the fuzzer quick; the 512 x 512 backgrounds are left out.
for f in circles circles_boom circles_flower bars; do cp -n "$out/seeds/textures/$f.tga" "$out/corpus-tga/" ; done
python3 - "$out/corpus-frame_file/sample.txt" <<'PY'
import sys
vals = [str((k * 37) % 256) for k in range(576)]
open(sys.argv[1], "w").write("\n".join(" ".join(vals[i:i + 16]) for i in range(0, 576, 16)) + "\n")
PY

status=0
for t in "${targets[@]}"; do
  echo "fuzz-viewer: $t for ${seconds}s"
  ( cd "$out" && ./"fuzz_$t" -max_total_time="$seconds" -max_len=1100000 -rss_limit_mb=2048 \
      -artifact_prefix="$out/crash-$t-" "corpus-$t" ) >"$out/fuzz_$t.log" 2>&1 || status=1
  tail -n 3 "$out/fuzz_$t.log"
done
exit $status
