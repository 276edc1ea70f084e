#!/usr/bin/env bash
# Builds Vemly on Debian 12 and starts it or runs its tests.
#   ./vemly.sh start   install the build's packages, build, install and start the program
#   ./vemly.sh test    install the build's packages, build, and run every test twice:
#                      under the C locale, and under German (decimal comma) on a second build
#                      with AddressSanitizer and UndefinedBehaviorSanitizer
# Environment: VEMLY_PREFIX (install prefix, default ~/.local/opt/vemly),
#              VEMLY_BUILD_DIR (default ./build; the sanitizer build goes beside it, "-asan").
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build_dir=${VEMLY_BUILD_DIR:-$here/build}
asan_dir=$build_dir-asan
prefix=${VEMLY_PREFIX:-$HOME/.local/opt/vemly}
packages=(g++ cmake ninja-build pkg-config qt6-base-dev libxlsxwriter-dev libsqlite3-dev
          libjpeg62-turbo-dev libgtest-dev libgmock-dev libbenchmark-dev libgmp-dev libarchive-dev
          libicu-dev locales xvfb xauth
          # The reports' tests read the RTF reports back through LibreOffice and pdftotext with
          # Liberation (Arial's measures) and DejaVu fonts, and spreadsheets through LibreOffice.
          libreoffice-writer-nogui libreoffice-calc-nogui poppler-utils fonts-liberation2
          fonts-dejavu-core)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}

# build <build folder> [cmake options...]
build() {
    local dir=$1
    shift
    cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >/dev/null
    cmake --build "$dir"
}

german_locale() {
    if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
        as_root localedef -i de_DE -f UTF-8 de_DE.UTF-8
    fi
}

run_tests() {
    local jobs
    jobs=$(nproc)
    echo "== Tests under the C locale"
    (cd "$build_dir" && LANG=C.UTF-8 LC_ALL=C.UTF-8 ctest -j"$jobs" --output-on-failure)
    german_locale
    echo "== Tests under the German locale, with AddressSanitizer and UndefinedBehaviorSanitizer"
    # A report stops its program. Reports go to files, so that one from a helper program that a
    # test starts counts too; any file fails the run.
    local reports=$asan_dir/sanitizer-reports
    rm -rf "$reports" && mkdir -p "$reports"
    local failed=0
    (cd "$asan_dir" && LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 \
        ASAN_OPTIONS=detect_stack_use_after_return=1:detect_leaks=0:log_path="$reports/asan" \
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:log_path="$reports/ubsan" \
        ctest -j"$jobs" --output-on-failure) || failed=1
    if [ -n "$(ls -A "$reports")" ]; then
        cat "$reports"/*
        echo "Sanitizer reports: $reports" >&2
        failed=1
    fi
    return "$failed"
}

case "${1:-}" in
    start)
        install_packages
        build "$build_dir"
        cmake --install "$build_dir" >/dev/null
        exec "$prefix/bin/vemly"
        ;;
    test)
        install_packages
        # The tests that read reports back fail, not skip, where a program or font is missing.
        export VEMLY_TEST_TOOLS=1
        # The tests build with warnings as errors, so a warning cannot land unnoticed. The
        # sanitizer build needs no benchmarks: they measure the other one.
        build "$build_dir" -DVEMLY_WERROR=ON
        build "$asan_dir" -DVEMLY_WERROR=ON -DVEMLY_SANITIZE=ON -DVEMLY_BUILD_BENCH=OFF
        run_tests
        ;;
    *)
        echo "usage: $0 start|test" >&2
        exit 2
        ;;
esac
