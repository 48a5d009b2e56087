# The two commands: `make run` and `make test`. Each installs what is missing,
# configures, builds, and then runs the program or the whole test suite.
PRESET ?= default
BUILD_DIR := build/$(PRESET)

# The Windows program, cross-built with MinGW-w64: one executable per preset, and a zip
# of both to publish. The zip's name and read-me carry the version; configuring a preset
# generates both from project(VERSION) into its generated/ folder.
WINDOWS_PRESETS := windows-x86 windows-x64
WINDOWS_GENERATED := build/windows-x64/generated

.PHONY: run test build configure bootstrap clean package fuzz bench windows

# The presets build with Ninja. A build folder that was configured with another generator
# (by an older version of the presets) cannot be configured again in place: it starts afresh.
GENERATOR := Ninja
define forget_other_generator
if [ -f $(1)/CMakeCache.txt ] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=$(GENERATOR)' $(1)/CMakeCache.txt; then \
    echo "$(1) was configured with another generator than $(GENERATOR): it starts afresh"; \
    rm -rf $(1); \
fi
endef

# Builds the program alone, with only the packages it needs: a first build configures
# without the tests and the benchmarks, which make test adds when it comes.
run:
	$(if $(DISPLAY)$(WAYLAND_DISPLAY),,$(error no display found (neither DISPLAY nor WAYLAND_DISPLAY is set): run it in a desktop session, or as xvfb-run make run))
	@tools/bootstrap --run
	@$(call forget_other_generator,$(BUILD_DIR))
	@[ -f $(BUILD_DIR)/CMakeCache.txt ] || \
	    cmake --preset $(PRESET) -DLUMOX_BUILD_TESTS=OFF -DLUMOX_BUILD_BENCH=OFF
	@cmake --build --preset $(PRESET) --target Lumox2k
	@$(BUILD_DIR)/app/Lumox2k

# The suite runs twice: as the program ships, then built with AddressSanitizer and
# UndefinedBehaviorSanitizer (preset asan, in build/asan), where any finding fails a test.
# The Windows executables are built first, because the first run checks them and drives
# the x86_64 one under Wine. The sanitizer build runs during the first run, at the lowest
# priority: much of that run waits for Wine and X servers, and the build takes the processor
# time they leave. Its output lands in build/asan-build.log and is shown when it fails.
test: windows build
	@mkdir -p build; \
	nice -n 19 $(MAKE) --no-print-directory PRESET=asan build >build/asan-build.log 2>&1 & \
	asan=$$!; \
	ctest --preset $(PRESET); suite=$$?; \
	if ! wait $$asan; then \
	    cat build/asan-build.log; echo "make test: the sanitizer build failed" >&2; exit 1; \
	fi; \
	[ $$suite -eq 0 ] || exit $$suite; \
	ctest --preset asan

build: configure
	cmake --build --preset $(PRESET)

# A build folder that make run configured without the tests and the benchmarks gets them
# back: forgetting both settings lets the preset and the defaults decide again.
configure: bootstrap
	@$(call forget_other_generator,$(BUILD_DIR))
	@if [ ! -f $(BUILD_DIR)/CMakeCache.txt ]; then cmake --preset $(PRESET); \
	elif grep -q '^LUMOX_BUILD_TESTS:BOOL=OFF' $(BUILD_DIR)/CMakeCache.txt; then \
	    cmake --preset $(PRESET) -U LUMOX_BUILD_TESTS -U LUMOX_BUILD_BENCH; fi

bootstrap:
	@tools/bootstrap

# The Debian package, lumox2000_<version>_<arch>.deb, lands in $(BUILD_DIR).
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# Runs each fuzz target of fuzz/ for FUZZ_SECONDS (60 by default) in a clang build of its
# own, build/fuzz, and merges new inputs into the committed corpora. Only this needs clang.
fuzz:
	@tools/bootstrap clang libclang-rt-14-dev
	@fuzz/run.sh

# Builds and runs every benchmark of bench/ (a few minutes) and prints a summary; fails
# when a benchmark misses its target. The logs land in $(BUILD_DIR)/bench-results. The
# Windows rows run the executables of make windows under Wine.
bench: windows build
	PRESET=$(PRESET) bench/run_all.sh

# Both executables are built and tested; build/Lumox2000-<version>-windows.zip holds the
# i686 Lumox2k.exe, which runs on every Windows from 95 on, and a short read-me. The same
# two files, under 8.3 names, make a 1.44 MB floppy image beside it,
# build/Lumox2000-<version>-windows.img, written with mtools (LUMOX2K.EXE, README.TXT).
# The x86_64 one stays in build/windows-x64 for the tests under 64-bit Wine.
windows: bootstrap
	@set -e; for preset in $(WINDOWS_PRESETS); do \
	    $(call forget_other_generator,build/$$preset); \
	    [ -f build/$$preset/CMakeCache.txt ] || cmake --preset $$preset; \
	    cmake --build --preset $$preset; \
	done
	@set -e; zip=$$(cat $(WINDOWS_GENERATED)/windows-zip-name.txt); \
	rm -rf build/windows-zip build/$$zip; \
	mkdir -p build/windows-zip; \
	cp build/windows-x86/Lumox2k.exe build/windows-zip/; \
	sed 's/$$/\r/' $(WINDOWS_GENERATED)/windows-readme.txt >build/windows-zip/README.txt; \
	touch -d 2000-01-01T00:00:00 build/windows-zip/*; \
	(cd build/windows-zip && zip -q -X ../$$zip README.txt Lumox2k.exe); \
	echo "windows: build/$$zip"; \
	img=build/$${zip%.zip}.img; \
	rm -f $$img; \
	mformat -i $$img -C -f 1440 -v "LUMOX 2000" -N 20000101 ::; \
	mcopy -i $$img -m build/windows-zip/Lumox2k.exe ::LUMOX2K.EXE; \
	mcopy -i $$img -m build/windows-zip/README.txt ::README.TXT; \
	echo "windows: $$img"

clean:
	rm -rf build
