# Front end for CMake. `make run` and `make test` do all the set-up on a fresh Debian machine;
# elsewhere `make` builds once the packages scripts/install-deps lists are there.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: all deps configure build run test install bench contact-sheet clean fuzz fuzz-replay sanitize

all: build

deps:
	@scripts/install-deps

# Extra CMake settings, e.g. CMAKE_ARGS=-DDOVRIX_WERROR=ON (as CI builds).
CMAKE_ARGS ?=

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/dovrix

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The program, synctool, the resources, desktop entry, icon and manual page under PREFIX.
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

bench: build
	@for b in $(BUILD_DIR)/bench/*_bench; do echo "== $$b"; $$b; done

contact-sheet: build
	./$(BUILD_DIR)/assetgen --contact-sheet $(BUILD_DIR)/resources $(BUILD_DIR)/contact-sheet.png

clean:
	rm -rf $(BUILD_DIR)

# Fuzzing (clang's libFuzzer, build dir build-fuzz): `make fuzz` explores each target for
# FUZZ_SECONDS; `make fuzz-replay` runs every stored input once, as CI does.
FUZZ_SECONDS ?= 60

fuzz: deps
	@scripts/fuzz run $(FUZZ_SECONDS)

fuzz-replay: deps
	@scripts/fuzz replay

# The suite under the address and undefined-behaviour sanitizers (build dir build-asan).
sanitize: deps
	@scripts/sanitize
