# The commands a newcomer needs. Each one installs what is missing first.
PRESET ?= release
BUILD_DIR := $(if $(filter release,$(PRESET)),build,build/$(PRESET))
JOBS ?= $(shell nproc)
# Seconds each fuzz target runs in `make fuzz`.
FUZZ_SECONDS ?= 60

.PHONY: all deps configure build dist run test test-arm64 bench asan tsan fuzz format clean

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

dist: build
	@echo "The runnable player is in $(BUILD_DIR)/dist/"

# The player, its plug-ins and tools only, with only the packages they need.
run:
	@tools/install-deps.sh --run
	@cmake --preset $(PRESET) >/dev/null
	@cmake --build --preset $(PRESET) -j $(JOBS) --target player
	@tools/run-demo.sh $(BUILD_DIR)/dist

test: build
	@ctest --preset $(PRESET) -j $(JOBS)

bench: build
	@tools/run-bench.sh $(BUILD_DIR)
	@tools/run-playback-bench.py $(BUILD_DIR)

asan:
	@$(MAKE) test PRESET=asan

tsan:
	@$(MAKE) test PRESET=tsan

# Every fuzz target in turn, FUZZ_SECONDS each (clang, address + undefined + leak sanitizers).
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)
	@tools/run-fuzz.sh build/fuzz $(FUZZ_SECONDS)

test-arm64: deps
	@tools/test-arm64.sh

format:
	@git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i

clean:
	@rm -rf build
