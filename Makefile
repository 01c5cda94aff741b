# Front end for CMake. `make run` and `make test` do all the set-up on a fresh Debian machine.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench contact-sheet clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/dovrix

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD_DIR)/bench/*_bench; do echo "== $$b"; $$b; done

contact-sheet: build
	./$(BUILD_DIR)/assetgen --contact-sheet $(BUILD_DIR)/resources $(BUILD_DIR)/contact-sheet.png

clean:
	rm -rf $(BUILD_DIR)
