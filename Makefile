# The whole set-up: `make run` starts the program, `make test` runs every test.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: run test deps build

deps:
	@scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/tessaglyph

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# Hardening: a second build with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (no window, no benchmarks), shared by the
# sanitized tests and the libFuzzer targets. See README, "Hardening".
SANITIZE_DIR ?= build-asan
FUZZ_SECONDS ?= 60

.PHONY: deps-hardening sanitize-build sanitize fuzz

deps-hardening:
	@scripts/install-deps.sh --hardening

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
