# make run    installs what is missing, builds, opens the program on samples/
# make check  installs what is missing, builds, runs every test
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 600

.PHONY: all deps build run check test asan fuzz bench crosscheck clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/oculane samples

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Every test, the CLI smoke run and the fuzz corpus replay under
# AddressSanitizer and UBSan (the window tests without leak checks: the
# toolkit keeps caches until exit).
asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOCULANE_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS)

check: test asan

# libFuzzer over every decoder; new findings land in $(FUZZ_BUILD)/artifacts.
fuzz: deps
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DOCULANE_FUZZ=ON -DOCULANE_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz-decode
	mkdir -p $(FUZZ_BUILD)/work $(FUZZ_BUILD)/artifacts
	$(FUZZ_BUILD)/fuzz-decode -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=4096 -timeout=10 \
	    -artifact_prefix=$(FUZZ_BUILD)/artifacts/ $(FUZZ_BUILD)/work fuzz/corpus

bench: build
	@scripts/install-deps --bench
	bench/decode-bench.sh
	bench/browser-bench.sh
	bench/slideshow-bench.sh
	bench/viewer-load-bench.sh
	bench/thumbs-bench.sh
	for b in ops color filter quantize palette-encode jobs search; do OCULANE_CLI=$(BUILD)/oculane-cli bench/$$b-bench.sh || exit 1; done
	bench/encode-bench.sh --build $(BUILD)
	bench/print-bench.sh --oculane $(BUILD)/oculane

# Pixel comparison of every sample against ImageMagick, and of every image
# operation that has an exact peer (tests/cli/*-peers.sh).
crosscheck: build
	@scripts/install-deps --bench
	tests/crosscheck.py
	for peers in tests/cli/*-peers.sh; do $$peers $(BUILD)/oculane-cli || exit 1; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
