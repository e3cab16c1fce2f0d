# Dorva NT: the two commands of the README, and a few more.
#   make run    build, then run the program under Wine (ARGS="/e:l /t:60" to pass options)
#   make test   build everything and run every test tier
#   make build  the release exes: build/win64/DorvaNT.exe and build/win32/DorvaNT.exe
SHELL := /bin/bash
JOBS ?= 2
ARGS ?=

APT_PACKAGES := cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest \
	wine64 fonts-wine xvfb xdotool imagemagick x11-utils tesseract-ocr tesseract-ocr-eng clang libclang-rt-14-dev python3 zip
NEEDED_TOOLS := cmake ninja x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix \
	Xvfb xdotool import compare xwininfo tesseract clang++ python3 zip

.PHONY: all deps build build-win64 build-win32 build-host test test-host test-win run bench release screenshots clean

all: build

# Installs what is missing (Debian 12, as root) and nothing when all is there.
deps:
	@missing=""; for t in $(NEEDED_TOOLS); do command -v $$t >/dev/null 2>&1 || missing="$$missing $$t"; done; \
	[ -x /usr/lib/wine/wine64 ] || missing="$$missing wine64"; \
	[ -x /usr/bin/convert ] || missing="$$missing imagemagick"; \
	[ -f /usr/src/googletest/CMakeLists.txt ] || missing="$$missing googletest"; \
	[ -d /usr/share/wine/fonts ] || missing="$$missing fonts-wine"; \
	[ -f /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux/libclang_rt.fuzzer-x86_64.a ] || missing="$$missing libclang-rt"; \
	if [ -n "$$missing" ]; then \
		echo "Installing packages (missing:$$missing)"; \
		if [ "$$(id -u)" != 0 ]; then echo "run as root, or install: $(APT_PACKAGES)"; exit 1; fi; \
		export DEBIAN_FRONTEND=noninteractive; \
		apt-get update -qq && apt-get install -y -qq --no-install-recommends $(APT_PACKAGES) >/dev/null; \
	fi

build/%/build.ninja: | deps
	cmake --preset $* >/dev/null

build-win64: build/win64/build.ninja
	cmake --build build/win64 -j $(JOBS)
# The x86 tests cannot run where the kernel runs no 32-bit programs: the x86
# build makes the exe and the record-size checks that run while compiling.
build-win32: build/win32/build.ninja
	cmake --build build/win32 -j $(JOBS) --target DorvaNT win_record_sizes_test
build-host: build/host/build.ninja
	cmake --build build/host -j $(JOBS)

build: deps build-win64 build-win32
	@ls -l build/win64/DorvaNT.exe build/win32/DorvaNT.exe

test-host: build-host
	cd build/host && ctest --output-on-failure -j $(JOBS)

# The win and e2e tiers run under Wine with a display of their own.
test-win: build-win64
	tools/with-xvfb.sh bash -c 'cd build/win64 && ctest --output-on-failure -j $(JOBS); rc=$$?; \
		../../tools/wine-stop.sh win64 $$PWD; exit $$rc'

test: deps build-win32 test-host test-win

run: build-win64
	tools/run-program.sh build/win64/DorvaNT.exe $(ARGS)

bench: build
	tools/bench.sh

release: build
	tools/release.sh

clean:
	rm -rf build

# The README's pictures, taken from the real program under Wine.
screenshots: build-win64
	mkdir -p docs/images
	tools/with-xvfb.sh bash tests/e2e/screenshots.sh build/win64/DorvaNT.exe \
		$(CURDIR)/build/win64/wineprefix-e2e $(CURDIR)/docs/images
	tools/wine-stop.sh win64 $(CURDIR)/build/win64
