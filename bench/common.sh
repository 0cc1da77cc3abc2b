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

build_release_bench() {
    "$repo_root/scripts/setup"
    cmake --preset native-release >/dev/null
    cmake --build --preset native-release -j "$(nproc)" --target metadata_bench >/dev/null
    metadata_bench="$repo_root/build/native-release/bench/metadata_bench"
}

# A TIFF of about MEGABYTES MB of uncompressed pixels, with a few tags: name, megabytes.
make_tiff() {
    local side
    side=$(awk -v mb="$2" 'BEGIN { printf "%d", sqrt(mb * 1000000 / 3) }')
    /usr/bin/convert -size "${side}x${side}" xc:gray50 -depth 8 -type TrueColor -compress none "$1"
    exiftool -q -overwrite_original -Artist="Eva" -Make="Canon" -Model="EOS" \
        -XResolution=300 -YResolution=300 -ResolutionUnit=inches -Orientation#=1 \
        -GPSLatitude=50.1 -GPSLatitudeRef=N -GPSLongitude=14.4 -GPSLongitudeRef=E "$1"
}
