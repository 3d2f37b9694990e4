# Top-level entry points. Every target first makes sure the Debian packages
# the project needs are installed (scripts/bootstrap is cheap when they are).
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 600
FUZZ_MAX_LEN ?= 8192
FUZZ_CC      ?= clang-14
FUZZ_CXX     ?= clang++-14
# reader: the object and archive readers; script: the linker-script front end.
FUZZ_TARGET  ?= reader
FUZZ_CORPUS_reader := corpus
FUZZ_CORPUS_script := script-corpus
FUZZ_CORPUS   = $(FUZZ_CORPUS_$(FUZZ_TARGET))
FUZZ_FLAGS   ?= -max_len=$(FUZZ_MAX_LEN) -timeout=10 -close_fd_mask=1 -dict=fuzz/$(FUZZ_TARGET).dict \
                -artifact_prefix=$(FUZZ_BUILD)/artifacts/

.PHONY: all build test unit-test sanitizer-test demo bootstrap clean fuzz

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

# Fuzzes the object and archive readers (FUZZ_TARGET=script: the linker-
# script front end) for FUZZ_SECONDS (clang, libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) on a copy of fuzz/corpus (fuzz/script-corpus),
# then merges the inputs that reached new code back into that folder. The
# merge counts edges only, not hit counts, which keeps the corpus small.
# Crash, leak and timeout inputs stay in $(FUZZ_BUILD)/artifacts/.
fuzz: bootstrap
	@test -n "$(FUZZ_CORPUS)" || { echo "FUZZ_TARGET must be reader or script"; exit 1; }
	@command -v $(FUZZ_CXX) >/dev/null || { echo "make fuzz needs $(FUZZ_CXX) (Debian package clang-14)"; exit 1; }
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTANREK_FUZZ=ON \
	  -DCMAKE_C_COMPILER=$(FUZZ_CC) -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) >/dev/null
	@ninja -C $(FUZZ_BUILD) tanrek-$(FUZZ_TARGET)-fuzzer
	rm -rf $(FUZZ_BUILD)/$(FUZZ_CORPUS)
	mkdir -p $(FUZZ_BUILD)/$(FUZZ_CORPUS) $(FUZZ_BUILD)/artifacts
	cp fuzz/$(FUZZ_CORPUS)/* $(FUZZ_BUILD)/$(FUZZ_CORPUS)/
	$(FUZZ_BUILD)/fuzz/tanrek-$(FUZZ_TARGET)-fuzzer $(FUZZ_FLAGS) -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  $(FUZZ_BUILD)/$(FUZZ_CORPUS)
	$(FUZZ_BUILD)/fuzz/tanrek-$(FUZZ_TARGET)-fuzzer $(FUZZ_FLAGS) -use_counters=0 -merge=1 fuzz/$(FUZZ_CORPUS) \
	  $(FUZZ_BUILD)/$(FUZZ_CORPUS)

# Links the example firmware, runs it under QEMU and shows what it printed
# together with the link summary.
demo: build
	@scripts/demo $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
