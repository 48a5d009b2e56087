# The two commands: `make run` and `make test`. Each installs what is missing,
# configures, builds, and then runs the program or the whole test suite.
PRESET ?= default
BUILD_DIR := build/$(PRESET)

.PHONY: run test build configure bootstrap clean package

run:
	$(if $(DISPLAY)$(WAYLAND_DISPLAY),,$(error no display found (neither DISPLAY nor WAYLAND_DISPLAY is set): run it in a desktop session, or as xvfb-run make run))
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

# The Debian package, lumox2000_<version>_<arch>.deb, lands in $(BUILD_DIR).
package: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf build
