# Dorva NT: the two commands of the README, and a few more.
#   make run    build, then run the program under Wine (ARGS="/e:l /t:60" to pass options)
#   make test   build everything and run every test tier
#   make build  the release exes: build/win64/DorvaNT.exe and build/win32/DorvaNT.exe
#   make windows-kit  the test kits for a real Windows: dist/DorvaNT-*-tests-x64.zip and -x86.zip
#   make release      the release zips, the kits and dist/SHA256SUMS
SHELL := /bin/bash
JOBS ?= 2
ARGS ?=

.PHONY: all deps deps-test build build-win64 build-win32 build-clang build-host test test-host test-win test-win32 run bench \
	windows-kit release screenshots clean

all: build

# Each target installs (Debian 12, as root) only what it needs and is missing:
# building needs the compilers and CMake, the test tiers bring their own tools.
deps:
	@tools/install-deps.sh build
deps-test: deps
	@tools/install-deps.sh test

build/%/build.ninja: | deps
	cmake --preset $* >/dev/null

# The release exe alone; the test targets build the rest.
build-win64: build/win64/build.ninja
	cmake --build build/win64 -j $(JOBS) --target DorvaNT
build-win32: build/win32/build.ninja
	cmake --build build/win32 -j $(JOBS) --target DorvaNT
# A second compiler: the product built by clang for the mingw-w64 target.
build-clang: build/win64-clang/build.ninja
	cmake --build build/win64-clang -j $(JOBS) --target DorvaNT
	@ls -l build/win64-clang/DorvaNT.exe
# A build folder configured before the test tools were installed is
# configured again, so that it finds GoogleTest.
configure-tests-%: deps-test
	@grep -qs '^DORVA_TESTS_FOUND:INTERNAL=1' build/$*/CMakeCache.txt || cmake --preset $* >/dev/null

build-host: build/host/build.ninja configure-tests-host
	cmake --build build/host -j $(JOBS)

build: deps build-win64 build-win32
	@ls -l build/win64/DorvaNT.exe build/win32/DorvaNT.exe

test-host: build-host
	cd build/host && ctest --output-on-failure -j $(JOBS)

# The x86 tests cannot run where the kernel runs no 32-bit programs: the x86
# build checks its record sizes while the test compiles, and its kit is made
# and import-checked.
test-win32: build-win32 configure-tests-win32
	cmake --build build/win32 -j $(JOBS) --target windows_kit

# The win and e2e tiers run under Wine with a display of their own.
test-win: build-win64 configure-tests-win64
	cmake --build build/win64 -j $(JOBS)
	cmake --build build/win64 -j $(JOBS) --target windows_kit
	tools/with-xvfb.sh bash -c 'cd build/win64 && ctest --output-on-failure -j $(JOBS); rc=$$?; \
		../../tools/wine-stop.sh win64 $$PWD; exit $$rc'

test: test-win32 test-host test-win

run: build-win64 deps-test
	tools/run-program.sh build/win64/DorvaNT.exe $(ARGS)

bench: build configure-tests-win64
	cmake --build build/win64 -j $(JOBS) --target min_tray bench_program
	tools/bench.sh

# The win tier's programs, with a runner, for a real Windows (both architectures).
windows-kit: build-win64 build-win32 configure-tests-win64 configure-tests-win32
	cmake --build build/win64 -j $(JOBS) --target windows_kit
	cmake --build build/win32 -j $(JOBS) --target windows_kit

release: build windows-kit
	tools/release.sh

clean:
	rm -rf build

# The README's pictures, taken from the real program under Wine.
screenshots: build-win64 deps-test
	mkdir -p docs/images
	tools/with-xvfb.sh bash tests/e2e/screenshots.sh build/win64/DorvaNT.exe \
		$(CURDIR)/build/win64/wineprefix-e2e $(CURDIR)/docs/images
	tools/wine-stop.sh win64 $(CURDIR)/build/win64
