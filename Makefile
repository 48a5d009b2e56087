# The two commands: `make run` and `make test`. Each installs what is missing,
# configures, builds, and then runs the program or the whole test suite.
PRESET ?= default
BUILD_DIR := build/$(PRESET)

.PHONY: run test build configure bootstrap clean

run:
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "make run: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a desktop session or under xvfb-run." >&2; \
	    exit 1; \
	fi
	@$(MAKE) --no-print-directory build
	@$(BUILD_DIR)/app/Lumox2k

test: build
	ctest --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET)

configure: bootstrap
	@[ -f $(BUILD_DIR)/CMakeCache.txt ] || cmake --preset $(PRESET)

bootstrap:
	@tools/bootstrap

clean:
	rm -rf build
