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
# The nice values of the builds and of the cases that do not judge time,
# all below the timed cases: the optimised and the sanitizer builds first,
# so that the optimised build's timed cases, which mostly wait, overlap the
# sanitizer build's long cases; the thread sanitizer's few after them. The
# cores the timed cases of each configuration share.
NICE_FIRST = 5
NICE_REST = 10
TIMED_CORES_RELEASE = $$(( ($(JOBS) * 3 + 7) / 8 ))
TIMED_CORES_ASAN = $$(( ($(JOBS) * 4 + 7) / 8 ))
TIMED_CORES_TSAN = $$(( ($(JOBS) + 7) / 8 ))
# Wall time of `make soak`, and the build it runs (the sanitizer build's
# folder catches more, slower).
SOAK_SECONDS ?= 600
SOAK_BUILD ?= $(BUILD)

# The configurations `make test` builds treat warnings as errors, and carry
# the debug information of line tables only.
CONFIGURE = cmake -S . -G Ninja -DKRX_WERROR=ON -DKRX_LINE_TABLES=ON
SANITIZE = CC=clang CXX=clang++ $(CONFIGURE) -DCMAKE_BUILD_TYPE=Debug -DKRX_SANITIZE=ON -DKRX_BENCH=OFF
# The suite's sanitizer build leaves the comparisons out of the fuzzing
# coverage (a third of its tests' time); `make fuzz` explores in a build
# folder of its own with them.
ASAN_CONFIGURE = $(SANITIZE) -B $(ASAN_BUILD) -DKRX_FUZZ_COMPARES=OFF
FUZZ_BUILD ?= build-fuzz
TSAN_CONFIGURE = CC=clang CXX=clang++ $(CONFIGURE) -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKRX_TSAN=ON -DKRX_BENCH=OFF
GENERATOR = $(BUILD)/tools/krx_datagen
# The data set the tests of every configuration read in `make test`, made
# once by the optimised build's generator (each build folder's `datagen`
# test links it instead of making its own: scripts/testdata.sh).
TESTDATA = $(abspath $(BUILD))/testdata
# Leaks inside system libraries the sanitizer build's programs load are not
# theirs (the build's tests get the same through CTest).
LSAN_ENV = LSAN_OPTIONS=suppressions=$(abspath cmake/lsan.supp)

.PHONY: run run-asan test fuzz deps configure build generator build-asan build-tsan tsan-programs program data testdata \
        test-release test-asan test-tsan bench clean swap-sweep soak

run: deps program data
	cd $(DATA) && $(abspath $(BUILD))/krx

# The game built with the sanitizers, on the same data set.
run-asan: deps build-asan data
	cd $(DATA) && $(LSAN_ENV) $(abspath $(ASAN_BUILD))/krx

# The three configurations build and run side by side, each one's tests as
# soon as its own build is done (the data set is made once, beside the
# optimised build, while the builds go on); each one's output is shown whole
# when it is done. The machine's cores are shared by priority: the cases
# that judge time run at the normal priority, within a share of the cores
# (the three shares add up to the cores: TIMED_CORES), and everything else,
# builds and other cases, below them (NICE_FIRST, NICE_REST;
# scripts/run_tests.sh). What failed is told once more at the end.
TEST_BUILDS = $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD)
test: deps
	@rm -f $(foreach d,$(TEST_BUILDS),$(d)/other_tests.log $(d)/timed_tests.log)
	@$(MAKE) --no-print-directory -j4 -Otarget test-release test-asan test-tsan || \
	  { scripts/failures.sh $(TEST_BUILDS); exit 1; }

fuzz: deps
	$(SANITIZE) -B $(FUZZ_BUILD)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target krx_fuzz_targets krx_datagen
	$(LSAN_ENV) scripts/fuzz.sh explore $(FUZZ_BUILD) $(RUNS) $(FUZZ)

deps:
	@bash scripts/deps.sh

configure:
	$(CONFIGURE) -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRX_BENCH=ON

# The generator first, so that `make test` makes the data set while the
# rest of the build goes on.
build: generator
	nice -n $(NICE_FIRST) cmake --build $(BUILD) -j $(JOBS)

# Every configuration's tests wait for the data set it makes.
generator: configure
	nice -n $(NICE_FIRST) cmake --build $(BUILD) -j $(JOBS) --target krx_datagen

build-asan:
	$(ASAN_CONFIGURE)
	nice -n $(NICE_FIRST) cmake --build $(ASAN_BUILD) -j $(JOBS)

# Only the programs whose tests start threads, and the data set generator.
build-tsan:
	$(TSAN_CONFIGURE)
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

# Made afresh for every `make test`, whole or not at all.
testdata: generator
	rm -rf $(TESTDATA).new
	$(GENERATOR) $(TESTDATA).new
	rm -rf $(TESTDATA)
	mv $(TESTDATA).new $(TESTDATA)

test-release: build testdata
	KRX_SHARED_TESTDATA=$(TESTDATA) scripts/run_tests.sh $(BUILD) $(NICE_FIRST) $(TIMED_CORES_RELEASE)

test-asan: build-asan testdata
	KRX_SHARED_TESTDATA=$(TESTDATA) scripts/run_tests.sh $(ASAN_BUILD) $(NICE_FIRST) $(TIMED_CORES_ASAN)

# The thread tests' programs only: the shared data set needs no generator.
tsan-programs:
	$(TSAN_CONFIGURE)
	nice -n $(NICE_REST) cmake --build $(TSAN_BUILD) -j $(JOBS) --target krx_threads_programs

test-tsan: tsan-programs testdata
	KRX_SHARED_TESTDATA=$(TESTDATA) scripts/run_tests.sh $(TSAN_BUILD) $(NICE_REST) $(TIMED_CORES_TSAN)

# Every file of the data set swapped in turn for a truncated copy, random
# bytes and a file of another kind, the program run on each under the
# sanitizers (the suite swaps one file of each kind).
swap-sweep: build-asan testdata
	cd $(ASAN_BUILD) && KRX_SHARED_TESTDATA=$(TESTDATA) KRX_SWAP_ALL=1 ctest --output-on-failure -j $(JOBS) -R 'SwappedDataSet'

# Four programs play battle after battle on loopback while one at a time is
# killed and started again, the session's host every other time; the
# figures are printed at the end (the suite runs a short form). Then the
# rows of the hostile table whose bound holds only on a machine with cores
# to spare, which the suite skips.
soak: deps
	@test -f $(SOAK_BUILD)/CMakeCache.txt || $(MAKE) --no-print-directory configure
	cmake --build $(SOAK_BUILD) -j $(JOBS) --target test_network_soak test_network_hostile krx krx_datagen
	cd $(SOAK_BUILD) && KRX_SOAK_SECONDS=$(SOAK_SECONDS) ctest -V --no-tests=error \
	  --timeout $$(( $(SOAK_SECONDS) + 900 )) -R 'SoakDataSet|FloodsOfSevenKeysAtTheirAllowanceOnAGigabitLan'

bench: build
	$(BUILD)/bench/krx_bench

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
