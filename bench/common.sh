# Shared by the benchmarks: builds the optimised console tool and times commands.
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"

build_release_cli() {
    "$repo_root/scripts/setup"
    cmake --preset native-release >/dev/null
    cmake --build --preset native-release -j "$(nproc)" --target mirtel-cli >/dev/null
    cli="$repo_root/build/native-release/cli/mirtel-cli"
}

now() { date +%s.%N; }

# Seconds between two `now` readings, with millisecond precision.
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
