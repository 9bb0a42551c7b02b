# The two commands of the README. `make test` builds with the sanitizers in BUILD_DIR; `make run`
# builds an optimised program without them in a folder of its own.
BUILD_DIR ?= build
RUN_DIR ?= build-run
JOBS ?= 8
SANITIZE ?= ON

.PHONY: run test deps configure build

deps:
	@sh scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLMAR_SANITIZE=$(SANITIZE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: deps
	@cmake -S . -B $(RUN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMAR_SANITIZE=OFF >/dev/null
	@cmake --build $(RUN_DIR) -j $(JOBS) --target quillmar
	@$(RUN_DIR)/shell/quillmar

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
