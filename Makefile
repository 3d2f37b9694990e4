# Top-level entry points. Every target first makes sure the Debian packages
# the project needs are installed (scripts/bootstrap is cheap when they are).
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)

.PHONY: all build test unit-test sanitizer-test demo bootstrap clean

all: build

bootstrap:
	@scripts/bootstrap

build: bootstrap
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@ninja -C $(BUILD)

# All tests on the normal build, then the same tests built with
# AddressSanitizer and UndefinedBehaviorSanitizer.
test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTANREK_SANITIZE=ON >/dev/null
	@ninja -C $(ASAN_BUILD)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

demo: build
	@$(BUILD)/tanrek-ld --version
	@echo
	@echo "make demo links and runs the example firmware once tanrek-ld produces"
	@echo "executables; the object reader, placement and image writer are not built yet."

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
