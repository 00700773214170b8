# Two entry points: `make run` plays, `make test` checks everything.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
DATA ?= $(BUILD)/data

.PHONY: run test deps build build-asan data test-release test-asan bench clean

run: deps build data
	cd $(DATA) && ../krx

test: deps build build-asan test-release test-asan

deps:
	@bash scripts/deps.sh

build:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRX_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)

build-asan:
	CC=clang CXX=clang++ cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKRX_SANITIZE=ON -DKRX_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)

data: build
	$(BUILD)/tools/krx_datagen $(DATA)

test-release: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: build-asan
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS) -LE nosan

bench: build
	$(BUILD)/bench/krx_bench

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
