# Everyday commands. `make run` and `make test` both set the machine up first.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan

.PHONY: run test bench contact-sheet setup configure build build-asan clean

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

# The benchmark runs once on each SDL 1.2 library installed: the classic one,
# then sdl12-compat over SDL 2, which lives in its own directory.
BENCH_COMPAT_SDL ?= /usr/lib/$(shell gcc -dumpmachine)/sdl12-compat
bench: build
	cmake --build $(BUILD) --target benchmarks -j $(JOBS)
	cd $(BUILD) && ./bin/vexmoor-bench
	@if [ -e $(BENCH_COMPAT_SDL)/libSDL-1.2.so.0 ]; then \
	  cd $(BUILD) && LD_LIBRARY_PATH=$(BENCH_COMPAT_SDL) ./bin/vexmoor-bench; \
	else \
	  echo "no sdl12-compat in $(BENCH_COMPAT_SDL): benchmarked on the classic SDL only"; \
	fi

contact-sheet: build
	cmake --build $(BUILD) --target contact-sheet -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
