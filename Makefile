# Everyday commands. `make run` and `make test` both set the machine up first.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan

.PHONY: run test bench contact-sheet setup configure build build-asan fuzz clean

setup:
	./scripts/setup.sh

configure: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS)

build-asan: setup
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVEXMOOR_SANITIZE=ON >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/vexmoor && ./vexmoor -windowed

test: build build-asan
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) -LE no-sanitize

# Every fuzz target FUZZ_SECONDS seconds, one after the other, in a clang
# build of its own (the other builds stay gcc).
FUZZ_SECONDS ?= 60
FUZZ_BUILD ?= build-fuzz

fuzz:
	@./scripts/setup.sh fuzz
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXMOOR_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
	@cmake --build $(FUZZ_BUILD) --target fuzzers -j $(JOBS) >$(FUZZ_BUILD)/fuzzers-build.log 2>&1 || \
	  { cat $(FUZZ_BUILD)/fuzzers-build.log; exit 1; }
	@tests/fuzz/run_fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: build
	cmake --build $(BUILD) --target benchmarks -j $(JOBS)
	cd $(BUILD) && ./bin/vexmoor-bench

contact-sheet: build
	cmake --build $(BUILD) --target contact-sheet -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
