#!/usr/bin/env bash
# Runs every benchmark program of the build, then the KReport side of the list report
# benchmark (a Qt 5 program of its own under bench/report/kreport, built here when the
# KReport development package is installed) and prints its ratio to ours.
set -euo pipefail
build=${1:-build}
shopt -s nullglob
found=0
results="$build/bench-results"
mkdir -p "$results"
for b in "$build"/bench/*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  found=1
  echo "== $(basename "$b")"
  "$b" --benchmark_counters_tabular=true \
    --benchmark_out="$results/$(basename "$b").json" --benchmark_out_format=json
done
[ $found -eq 1 ] || echo "No benchmarks are built yet."
# The quick search also at 10,000 and 300,000 branches (each size's database is generated
# once, the 300,000-branch one in several minutes).
if [ -x "$build/bench/dossara_quick_search_bench" ]; then
  for n in ${QUICK_SEARCH_SIZES:-10000 300000}; do
    echo "== dossara_quick_search_bench at $n branches"
    DOSSARA_BENCH_BRANCHES=$n "$build/bench/dossara_quick_search_bench" --benchmark_counters_tabular=true \
      --benchmark_out="$results/dossara_quick_search_bench-$n.json" --benchmark_out_format=json
  done
fi

# counter FILE BENCHMARK COUNTER: one counter of one benchmark in a Google Benchmark JSON file.
counter() {
  awk -v name="\"$2" -v key="\"$3\":" '
    index($0, "\"name\": " name) { inside = 1 }
    inside && index($0, key) { v = $2; sub(/,$/, "", v); print v; exit }' "$1"
}

src=$(cd "$(dirname "$0")/.." && pwd)/bench/report/kreport
kbuild="$build/kreport-bench"
echo "== kreport_list_bench (KReport, Qt 5)"
if ! dpkg-query -W -f='${Status}' libkreport3-dev 2>/dev/null | grep -q "install ok installed"; then
  echo "KReport comparison skipped: libkreport3-dev is not installed (scripts/install-deps.sh installs it)."
  exit 0
fi
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if ! { cmake -S "$src" -B "$kbuild" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >"$kbuild.log" 2>&1 &&
       cmake --build "$kbuild" -j "${JOBS:-3}" >>"$kbuild.log" 2>&1; }; then
  echo "KReport comparison skipped: its program did not build (see $kbuild.log)."
  exit 0
fi
# Our printer device keeps blocks up to 32 MB in the heap and trims it only above 64 MB (Qt's PDF
# writer takes a fresh 10 MB buffer per page); the KReport program runs with the same allocator
# settings, so both sides print to PDF under the same conditions.
GLIBC_TUNABLES=glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=67108864 \
QT_QPA_PLATFORM=offscreen "$kbuild/kreport_list_bench" --benchmark_counters_tabular=true \
  --benchmark_out="$results/kreport_list_bench.json" --benchmark_out_format=json

ours="$results/dossara_report_bench.json"
theirs="$results/kreport_list_bench.json"
if [ -f "$ours" ] && [ -f "$theirs" ]; then
  op=$(counter "$ours" BM_ListReportPages/ pages_per_second)
  om=$(counter "$ours" BM_ListReportPages/ peak_MB)
  oc=$(counter "$ours" BM_ListReportPages/ pages)
  kp=$(counter "$theirs" BM_KReportListReportPages/ pages_per_second)
  km=$(counter "$theirs" BM_KReportListReportPages/ peak_MB)
  kc=$(counter "$theirs" BM_KReportListReportPages/ pages)
  if [ -n "$op" ] && [ -n "$kp" ]; then
    echo "== list report, 100,000 records, every page made (no output device)"
    echo "KReport $(dpkg-query -W -f='${Version}' libkreport3-4 2>/dev/null) (Qt 5, release build, pre-renderer over a KReportDataSource on an in-memory list, pages kept as ORODocument primitives, offscreen platform)"
    awk -v op="$op" -v om="$om" -v oc="$oc" -v kp="$kp" -v km="$km" -v kc="$kc" 'BEGIN {
      printf "ours:    %d pages, %.0f pages/s, peak %.1f MB\n", oc, op, om
      printf "KReport: %d pages, %.0f pages/s, peak %.1f MB\n", kc, kp, km
      printf "ratio:   %.2fx the pages per second, %.2fx less peak memory\n", op / kp, km / om }'
  fi
fi

# The barcode labels, each side's run in a process of its own (the cold runs' own files).
ours="$results/dossara_report_bench.json.BM_Cold_BarCodeLabelsPdf.json"
theirs="$results/kreport_list_bench.json.BM_Cold_KReportBarCodeLabelsPdf.json"
if [ -f "$ours" ] && [ -f "$theirs" ]; then
  op=$(counter "$ours" BM_Cold_BarCodeLabelsPdf/ pages_per_second)
  om=$(counter "$ours" BM_Cold_BarCodeLabelsPdf/ peak_MB)
  kp=$(counter "$theirs" BM_Cold_KReportBarCodeLabelsPdf/ pages_per_second)
  km=$(counter "$theirs" BM_Cold_KReportBarCodeLabelsPdf/ peak_MB)
  if [ -n "$op" ] && [ -n "$kp" ]; then
    echo "== 10,000 labels, one Code 128 each, made and printed into a PDF file (1,000 Letter pages)"
    echo "KReport $(dpkg-query -W -f='${Version}' libkreport3-plugin-barcode 2>/dev/null) barcode element (Qt 5, release build, print renderer on a high-resolution QPrinter writing PDF, offscreen platform)"
    awk -v op="$op" -v om="$om" -v kp="$kp" -v km="$km" 'BEGIN {
      printf "ours:    %.0f pages/s, peak %.1f MB\n", op, om
      printf "KReport: %.0f pages/s, peak %.1f MB\n", kp, km
      printf "ratio:   %.2fx the pages per second, %.2fx less peak memory\n", op / kp, km / om }'
  fi
fi

# The designer on 2,000 components beside KReport's designer (built with the program above).
if [ -x "$kbuild/kreport_designer_bench" ]; then
  echo "== kreport_designer_bench (KReport's designer, Qt 5)"
  QT_QPA_PLATFORM=offscreen "$kbuild/kreport_designer_bench" --benchmark_counters_tabular=true \
    --benchmark_out="$results/kreport_designer_bench.json" --benchmark_out_format=json
  ours="$results/dossara_report_designer_bench.json"
  theirs="$results/kreport_designer_bench.json"
  if [ -f "$ours" ] && [ -f "$theirs" ]; then
    echo "== designer, 2,000 labels in 10 bands (KReport: 10 sections, one graphics scene each; offscreen platform)"
    for step in Open RubberBandAndMove; do
      o=$(counter "$ours" "BM_Designer$step/" real_time)
      k=$(counter "$theirs" "BM_KReportDesigner$step/" real_time)
      [ -n "$o" ] && [ -n "$k" ] && awk -v s="$step" -v o="$o" -v k="$k" \
        'BEGIN { printf "%-18s ours %.0f ms, KReport %.0f ms: %.2fx KReport'"'"'s time (goal: 0.5 or less)\n", s, o, k, o / k }'
    done
  fi
fi
