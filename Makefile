# Everyday commands. `make run` and `make test` both set the machine up first.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan

.PHONY: run test deb bench contact-sheet setup configure build build-asan clean

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

# The package test installs the package that `make deb` built.
test: build build-asan deb
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) -LE no-sanitize

# build/deb/vexmoor_<version>_<arch>.deb, checked by lintian and the validators.
deb: setup
	JOBS=$(JOBS) ./scripts/build_deb.sh $(BUILD)/deb

bench: build
	cmake --build $(BUILD) --target benchmarks -j $(JOBS)
	cd $(BUILD) && ./bin/vexmoor-bench

contact-sheet: build
	cmake --build $(BUILD) --target contact-sheet -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
