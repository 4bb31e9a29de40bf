# make run    installs what is missing, builds, starts Trawlix beside the stand-in client
# make test   installs what is missing, builds, runs every test (of the i686 build, the unit tests
#             and the end-to-end tests chosen for what only it can get wrong, where the optional
#             32-bit Wine can be had)
# make test-fresh  make test and make run in a fresh Debian root, from a clean clone (root only)
# make test-x86 the i686 build's unit tests and the kit's whole x86 set, with the 32-bit programs emulated
# make bench  figures and the soak under Wine (about 20 minutes), written to docs/PERFORMANCE.md
# make format lays out the C++ sources as .clang-format says
BUILD := build
JOBS ?= 2

.PHONY: all deps build package test-kit run test test-fresh test-x86 bench screenshots format clean

all: build

deps:
	@bash scripts/deps.sh

# native: the logic and its unit tests (sanitizers on)
# win32:  the program for 32-bit Windows and its tests
# win64:  the program as shipped, 64-bit, with the end-to-end tests under 64-bit Wine, and the
#         i686 build's tests with its 32-bit programs emulated by qemu-user
$(BUILD)/native/build.ninja:
	cmake -S . -B $(BUILD)/native -G Ninja -DCMAKE_BUILD_TYPE=Debug
$(BUILD)/win32/build.ninja:
	cmake -S . -B $(BUILD)/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
$(BUILD)/win64/build.ninja:
	cmake -S . -B $(BUILD)/win64 -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake

build: deps $(BUILD)/native/build.ninja $(BUILD)/win32/build.ninja $(BUILD)/win64/build.ninja
	ninja -C $(BUILD)/win32 -j $(JOBS)
	ninja -C $(BUILD)/native -j $(JOBS)
	ninja -C $(BUILD)/win64 -j $(JOBS)

# build/package: the installer, the two portable ZIPs and SHA256SUMS, which the win64 tests check.
# SIGN_PFX, SIGN_PASSWORD, SIGN_TIMESTAMP_URL and SOURCE_DATE_EPOCH reach package.sh in its
# environment, as make passes its command-line and environment variables on: never in the command.
package: build
	bash scripts/package.sh $(BUILD)

# build/test-kit: every test, with both builds' programs, for a Windows PC or VM (run-tests.cmd).
test-kit: package
	bash scripts/test-kit.sh $(BUILD)

# The end-to-end tests run here as on Windows: the kit's x64 set through run-tests.cmd under Wine
# (the kit.* tests). `ctest --test-dir build/win64 -L e2e` runs them one by one instead.
# The i686 build's tests run from the win64 tree beside them (two jobs), in a prefix of their own
# where only the 32-bit programs are emulated. They need 32-bit Wine and qemu-user, which
# deps-i686.sh fetches here alone: where they cannot be had, those tests are skipped (exit code 3,
# CTest's skip; a failed test still fails the run), and the last line says why.
I386 = $(BUILD)/i386
DEPS_I686 = bash scripts/deps-i686.sh $(I386) || true
I686_SKIPPED = @! [ -f $(BUILD)/win64/i686-env/unavailable ] || echo "Skipped i686 tests, the kit's x86 set among them: $$(cat $(BUILD)/win64/i686-env/unavailable)"
test: test-kit
	$(DEPS_I686)
	ctest --test-dir $(BUILD)/native -j $(JOBS) --output-on-failure
	ctest --test-dir $(BUILD)/win32 --output-on-failure
	ctest --test-dir $(BUILD)/win64 -j $(JOBS) --output-on-failure -LE '^(e2e|x86-set)$$'
	$(I686_SKIPPED)

# The newcomer's run: a clean clone of the committed HEAD in a fresh Debian root (SUITE=bookworm by
# default, or trixie), the README's prerequisites, make test, then make run as far as the screen.
# Root only; KEEP=1 keeps the root. Logs and the screenshot in build/fresh-SUITE/.
test-fresh:
	bash scripts/test-fresh.sh $(BUILD)

# The i686 build's unit tests and the kit's whole x86 set of end-to-end programs but the
# installer's, every one of them emulated (about an hour). `ctest --test-dir build/win64 -L
# i686-e2e` runs the end-to-end tests chosen for what only the i686 build can get wrong.
test-x86: build
	$(DEPS_I686)
	ctest --test-dir $(BUILD)/win64 --output-on-failure -L 'i686-unit|x86-set'
	$(I686_SKIPPED)

# Not a test: the shipped build for the sizes, the Wine build for everything else.
bench: deps $(BUILD)/win32/build.ninja $(BUILD)/win64/build.ninja
	ninja -C $(BUILD)/win32 -j $(JOBS) Trawlix BenchBareFloor BenchControlsFloor
	ninja -C $(BUILD)/win64 -j $(JOBS) BenchDriver
	bash scripts/bench.sh $(BUILD)

run: build
	bash scripts/run.sh $(BUILD)

screenshots: build
	bash scripts/screenshots.sh $(BUILD)

# The files git knows, as the format test (build.format) checks them.
format: deps
	git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format -i --style=file

clean:
	rm -rf $(BUILD)
