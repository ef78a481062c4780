# Wraps CMake. `make` builds, `make demo` installs what is missing, builds and publishes the demo
# project, `make test` installs what is missing, builds and runs every test (plainly and under
# AddressSanitizer + UndefinedBehaviorSanitizer), `make bench` runs the benchmarks.

BUILD       ?= build
SAN_BUILD   ?= build-san
BENCH_BUILD ?= build-bench
JOBS        ?= $(shell nproc)
GENERATOR   := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
CMAKE_ARGS  ?=

SAN_ENV := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0 \
           UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

.PHONY: all deps build demo test test-plain test-san bench format clean

all: build

deps:
	@tools/install-deps

build:
	@cmake -S . -B $(BUILD) $(GENERATOR) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

demo: deps build
	@tools/run-demo $(BUILD)/bin

test: deps test-plain test-san

test-plain:
	@cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARN_WERROR=ON \
	       $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-san:
	@cmake -S . -B $(SAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DQUARN_WERROR=ON \
	       -DQUARN_SANITIZE=ON $(CMAKE_ARGS) >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS)
	@$(SAN_ENV) ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(JOBS)

# Benchmarks are built optimised in a directory of their own, so switching between benchmarks
# and tests never rebuilds everything or changes the tests' build type.
bench: deps
	@cmake -S . -B $(BENCH_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/bench/*; do \
	  if [ -f "$$b" ] && [ -x "$$b" ]; then echo "== $$b" && "$$b" || exit 1; fi; \
	done

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) $(SAN_BUILD) $(BENCH_BUILD)
