# Entry points: `make run` plays, `make test` checks everything the same way
# on every run, `make fuzz` explores with the fuzz targets.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
DATA ?= $(BUILD)/data
# Inputs per fuzz target for `make fuzz`, and a pattern to pick targets.
RUNS ?= 100000
FUZZ ?=
# Wall time of `make soak`, and the build it runs (the sanitizer build's
# folder catches more, slower).
SOAK_SECONDS ?= 600
SOAK_BUILD ?= $(BUILD)

# The configurations `make test` builds treat warnings as errors.
CONFIGURE = cmake -S . -G Ninja -DKRX_WERROR=ON
GENERATOR = $(BUILD)/tools/krx_datagen

.PHONY: run test fuzz deps configure build build-asan build-tsan program data \
        test-release test-asan test-tsan bench clean swap-sweep soak

run: deps program data
	cd $(DATA) && $(abspath $(BUILD))/krx

# The three configurations build and run side by side, so that the slow end
# of each (its last compiles and links, its longest tests) overlaps the
# others' work; each one's output is shown whole when it is done.
test: deps
	@$(MAKE) --no-print-directory -j3 -Otarget test-release test-asan test-tsan

fuzz: deps
	CC=clang CXX=clang++ $(CONFIGURE) -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKRX_SANITIZE=ON -DKRX_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target krx_fuzz_targets krx_datagen
	scripts/fuzz.sh explore $(ASAN_BUILD) $(RUNS) $(FUZZ)

deps:
	@bash scripts/deps.sh

configure:
	$(CONFIGURE) -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRX_BENCH=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

build-asan:
	CC=clang CXX=clang++ $(CONFIGURE) -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKRX_SANITIZE=ON -DKRX_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# Only the programs whose tests start threads, and the data set generator.
build-tsan:
	CC=clang CXX=clang++ $(CONFIGURE) -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKRX_TSAN=ON -DKRX_BENCH=OFF
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target krx_threads_tests

# The game and the generator, nothing else.
program: configure
	cmake --build $(BUILD) -j $(JOBS) --target krx krx_datagen

# The data set is made again only when the generator has changed: the stamp
# beside the folder holds the check sum of the generator that made it.
data: program
	@sum=$$(sha256sum $(GENERATOR) | cut -d' ' -f1); \
	if [ "$$(cat $(DATA).stamp 2>/dev/null)" != "$$sum" ]; then \
	  echo "generating the data set in $(DATA)"; \
	  $(GENERATOR) $(DATA) && echo "$$sum" > $(DATA).stamp; \
	fi

test-release: build
	cd $(BUILD) && ctest --output-on-failure --no-tests=error -j $(JOBS)

test-asan: build-asan
	cd $(ASAN_BUILD) && ctest --output-on-failure --no-tests=error -j $(JOBS) -LE nosan

test-tsan: build-tsan
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure --no-tests=error -j $(JOBS) -L threads

# Every file of the data set swapped in turn for a truncated copy, random
# bytes and a file of another kind, the program run on each under the
# sanitizers (the suite swaps one file of each kind).
swap-sweep: build-asan
	cd $(ASAN_BUILD) && KRX_SWAP_ALL=1 ctest --output-on-failure -j $(JOBS) -R 'SwappedDataSet'

# Four programs play battle after battle on loopback while one at a time is
# killed and started again, the session's host every other time; the
# figures are printed at the end (the suite runs a short form).
soak: deps
	@test -f $(SOAK_BUILD)/CMakeCache.txt || $(MAKE) --no-print-directory configure
	cmake --build $(SOAK_BUILD) -j $(JOBS) --target test_network_soak krx krx_datagen
	cd $(SOAK_BUILD) && KRX_SOAK_SECONDS=$(SOAK_SECONDS) ctest -V --no-tests=error \
	  --timeout $$(( $(SOAK_SECONDS) + 900 )) -R 'SoakDataSet'

bench: build
	$(BUILD)/bench/krx_bench

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD)
