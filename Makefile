# The two commands: `make run` and `make test`. Each installs what is missing,
# configures, builds, and then runs the program or the whole test suite.
PRESET ?= default
BUILD_DIR := build/$(PRESET)

.PHONY: run test build configure bootstrap clean package fuzz bench

run:
	$(if $(DISPLAY)$(WAYLAND_DISPLAY),,$(error no display found (neither DISPLAY nor WAYLAND_DISPLAY is set): run it in a desktop session, or as xvfb-run make run))
	@$(MAKE) --no-print-directory build
	@$(BUILD_DIR)/app/Lumox2k

# The suite runs twice: as the program ships, then built with AddressSanitizer and
# UndefinedBehaviorSanitizer (preset asan, in build/asan), where any finding fails a test.
test: build
	ctest --preset $(PRESET)
	@$(MAKE) --no-print-directory PRESET=asan build
	ctest --preset asan

build: configure
	cmake --build --preset $(PRESET)

configure: bootstrap
	@[ -f $(BUILD_DIR)/CMakeCache.txt ] || cmake --preset $(PRESET)

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
# when a benchmark misses its target. The logs land in $(BUILD_DIR)/bench-results.
bench: build
	PRESET=$(PRESET) bench/run_all.sh

clean:
	rm -rf build
