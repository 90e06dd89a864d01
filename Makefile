# Tovel: the commands of the README. Every target installs what is missing first.
JOBS ?= 2
GEN  ?= -G Ninja
BUILD_ASAN    := build/asan
BUILD_RELEASE := build/release
BUILD_FUZZ    := build/fuzz
BUILD_TSAN    := build/tsan
FUZZ_SECONDS  ?= 60

.PHONY: all setup build run test bench fuzz tsan format clean demo

all: build

setup:
	@bash scripts/setup

build: setup
	cmake -S . -B $(BUILD_RELEASE) $(GEN) -DCMAKE_BUILD_TYPE=Release -DTOVEL_TESTS=OFF
	cmake --build $(BUILD_RELEASE) -j$(JOBS)

demo: build
	@if cmake --build $(BUILD_RELEASE) --target help | grep -q tovel-demo; then \
	  cmake --build $(BUILD_RELEASE) -j$(JOBS) --target tovel-demo; fi

run: demo
	@dir=$(BUILD_RELEASE)/demo; [ -d $$dir ] || { mkdir -p $$dir; }; \
	cd $$dir && exec $(CURDIR)/$(BUILD_RELEASE)/tovel

test: setup
	cmake -S . -B $(BUILD_ASAN) $(GEN) -DCMAKE_BUILD_TYPE=Debug -DTOVEL_SANITIZE=ON
	cmake --build $(BUILD_ASAN) -j$(JOBS)
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j$(JOBS)

bench: setup
	cmake -S . -B $(BUILD_RELEASE) $(GEN) -DCMAKE_BUILD_TYPE=Release -DTOVEL_TESTS=OFF -DTOVEL_BENCH=ON
	cmake --build $(BUILD_RELEASE) -j$(JOBS)
	@for b in $(BUILD_RELEASE)/bench/bench_*; do echo "== $$b"; $$b --benchmark_repetitions=5 --benchmark_report_aggregates_only=true || exit 1; done

fuzz: setup
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) $(GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVEL_FUZZ=ON -DTOVEL_TESTS=OFF
	cmake --build $(BUILD_FUZZ) -j$(JOBS)
	@for f in $(BUILD_FUZZ)/fuzz/fuzz_*; do echo "== $$f"; mkdir -p $(BUILD_FUZZ)/corpus/$$(basename $$f); \
	  $$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $(BUILD_FUZZ)/corpus/$$(basename $$f) || exit 1; done

tsan: setup
	cmake -S . -B $(BUILD_TSAN) $(GEN) -DCMAKE_BUILD_TYPE=Debug -DTOVEL_TSAN=ON
	cmake --build $(BUILD_TSAN) -j$(JOBS)
	cd $(BUILD_TSAN) && ctest --output-on-failure -j$(JOBS) -R 'Stream|Mixer|Sound'

format:
	find src tools tests bench fuzz demo -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
