# Everyday commands. `make run` and `make test` both set the machine up first.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan

# Where Debian puts sdl12-compat, the second SDL 1.2 library every suite and
# the benchmark also run on (scripts/ctest-runtimes.sh reads the same name).
SDL_COMPAT_DIR ?= /usr/lib/$(shell gcc -print-multiarch)/sdl12-compat
export SDL_COMPAT_DIR

SANITIZER_OPTIONS := UBSAN_OPTIONS=print_stacktrace=1

.PHONY: run test test-i386 deb bench contact-sheet setup configure build build-asan fuzz clean web web-test

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

# The browser build (build-web/site/, see README "Play in a browser"):
# Emscripten builds the same libraries against web/sdl12; the page ships the
# native build's packed resources. Its node tools need Debian's modules.
WEB_BUILD ?= build-web
export NODE_PATH ?= /usr/share/nodejs

web: build
	./scripts/setup.sh web
	emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DVEXMOOR_NATIVE_BUILD=$(abspath $(BUILD)) >/dev/null
	cmake --build $(WEB_BUILD) -j $(JOBS)

# The browser build's tests (ctest -L web in build-web). Skipped, and said
# so, only where Emscripten or Chromium cannot be installed.
web-test: build
	@if ./scripts/setup.sh web; then \
	  $(MAKE) --no-print-directory web && cd $(WEB_BUILD) && ctest --output-on-failure -L web; \
	else \
	  echo "SKIPPED: the web tests (Emscripten or Chromium cannot be installed here)"; \
	fi

# Each build's suite runs on both SDL 1.2 runtimes, the classic library and
# sdl12-compat (scripts/ctest-runtimes.sh), then the browser build's tests.
# Every run happens even when one fails; the target fails if any did. The package test installs the package
# that `make deb` built.
test: build build-asan deb
	@failed=0; \
	./scripts/ctest-runtimes.sh $(BUILD) --output-on-failure -j $(JOBS) || failed=1; \
	$(SANITIZER_OPTIONS) ./scripts/ctest-runtimes.sh $(ASAN_BUILD) --output-on-failure -j $(JOBS) -LE no-sanitize \
	  || failed=1; \
	$(MAKE) --no-print-directory web-test || failed=1; \
	exit $$failed

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

# build/deb/vexmoor_<version>_<arch>.deb, checked by lintian and the validators.
deb: setup
	JOBS=$(JOBS) ./scripts/build_deb.sh $(BUILD)/deb

# The same suite built as 32-bit i386 programs, in a Debian 12 i386 chroot
# kept in /var/cache/vexmoor-i386 (scripts/test-i386.sh).
test-i386:
	JOBS=$(JOBS) ./scripts/test-i386.sh

# The benchmark runs once on each SDL 1.2 library installed: the classic one,
# then sdl12-compat over SDL 2, which lives in its own directory; then the
# browser build in headless Chromium (its "web:" line), which knows the
# title by the desktop replay's picture of it.
bench: build web
	cmake --build $(BUILD) --target benchmarks -j $(JOBS)
	cd $(BUILD) && ./bin/vexmoor-bench
	@if [ -e $(SDL_COMPAT_DIR)/libSDL-1.2.so.0 ]; then \
	  cd $(BUILD) && LD_LIBRARY_PATH=$(SDL_COMPAT_DIR) ./bin/vexmoor-bench; \
	else \
	  echo "no sdl12-compat in $(SDL_COMPAT_DIR): benchmarked on the classic SDL only"; \
	fi
	@$(BUILD)/bin/vexmoor-replay --dir $(BUILD)/vexmoor --frames 2 --shot 1:$(WEB_BUILD)/bench-title.png
	@cd web/tests && node web_bench.js $(abspath $(WEB_BUILD))/site $(abspath $(WEB_BUILD))/bench-title.png

contact-sheet: build
	cmake --build $(BUILD) --target contact-sheet -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WEB_BUILD) build-i386
