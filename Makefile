# The whole set-up: `make run` starts the program, `make test` runs every
# test, `make package` makes the Debian package.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: run test package deps-run deps-test deps-package program
.DEFAULT_GOAL := run

# The package sets the goals need (scripts/install-deps.sh).
DEPS_SETS := $(sort $(if $(filter run program,$(or $(MAKECMDGOALS),run)),run) \
  $(if $(filter test,$(MAKECMDGOALS)),test) \
  $(if $(filter package,$(MAKECMDGOALS)),package) \
  $(if $(filter sanitize sanitize-build fuzz deps-hardening,$(MAKECMDGOALS)),hardening))

# Another user than root cannot install: the script names the missing
# packages on standard error, and make stops with status 1 before any recipe
# (--question runs nothing and answers 1 for goals not up to date), so no
# "Error" line suggests that something broke.
ifneq ($(shell id -u),0)
ifneq ($(DEPS_SETS),)
ifneq ($(shell scripts/install-deps.sh $(DEPS_SETS) >&2 || echo missing),)
MAKEFLAGS += --question
endif
endif
endif

deps-run:
	@scripts/install-deps.sh run
deps-test:
	@scripts/install-deps.sh test
deps-package:
	@scripts/install-deps.sh package

# Configured once; the tests and benchmarks only when a goal needs them, so
# `make run` neither installs GoogleTest nor builds the test programs.
WITH_TESTS := $(if $(filter test,$(MAKECMDGOALS)),ON,OFF)
$(BUILD_DIR)/build.ninja: | deps-$(if $(filter ON,$(WITH_TESTS)),test,run)
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTESSAGLYPH_BUILD_TESTS=$(WITH_TESTS) -DTESSAGLYPH_BUILD_BENCH=$(WITH_TESTS)

# The window and its worker only, whatever else the build folder holds.
program: deps-run $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tessaglyph tessaglyph-convert

run: program
	$(BUILD_DIR)/tessaglyph

test: deps-test $(BUILD_DIR)/build.ninja
	@grep -q '^TESSAGLYPH_BUILD_TESTS:BOOL=ON' $(BUILD_DIR)/CMakeCache.txt || \
	  cmake $(BUILD_DIR) -DTESSAGLYPH_BUILD_TESTS=ON -DTESSAGLYPH_BUILD_BENCH=ON
	cmake --build $(BUILD_DIR) -j $(JOBS)
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The .deb lands in the build folder; scripts/check-package.sh checks what
# goes into it before it is made.
package: deps-package program
	cmake --build $(BUILD_DIR) --target tessaglyph_package_files
	scripts/check-package.sh $(BUILD_DIR)
	cd $(BUILD_DIR) && cpack -G DEB

# Hardening: a second build with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (no window, no benchmarks), shared by the
# sanitized tests and the libFuzzer targets. See README, "Hardening".
SANITIZE_DIR ?= build-asan
FUZZ_SECONDS ?= 60

.PHONY: deps-hardening sanitize-build sanitize fuzz

deps-hardening:
	@scripts/install-deps.sh hardening

$(SANITIZE_DIR)/build.ninja: | deps-hardening
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
	  -DTESSAGLYPH_BUILD_GUI=OFF -DTESSAGLYPH_BUILD_BENCH=OFF -DTESSAGLYPH_FUZZ=ON

sanitize-build: deps-hardening $(SANITIZE_DIR)/build.ninja
	cmake --build $(SANITIZE_DIR) -j $(JOBS)

sanitize: sanitize-build
	tests/sanitizers/run-tests.sh $(SANITIZE_DIR) $(JOBS)

fuzz: sanitize-build
	FUZZ_SECONDS=$(FUZZ_SECONDS) tests/fuzz/run-fuzz.sh $(SANITIZE_DIR)
