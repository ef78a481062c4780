# Wraps CMake. `make` builds, `make demo` installs what is missing, builds the programs and
# publishes the demo project, `make test` installs what is missing, builds and runs every test
# (plainly, under AddressSanitizer + UndefinedBehaviorSanitizer, and the threaded ones under
# ThreadSanitizer), `make bench` runs the benchmarks.
#
# The generator is chosen by tools/configure when a recipe runs, after tools/install-deps, so the
# two commands work in either order on a bare machine.

BUILD       ?= build
SAN_BUILD   ?= build-san
TSAN_BUILD  ?= build-tsan
BENCH_BUILD ?= build-bench
JOBS        ?= $(shell nproc)
CMAKE_ARGS  ?=

# The demo and the plain tests share one configuration, so either reuses what the other built.
PLAIN_ARGS := -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARN_WERROR=ON

SAN_ENV := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0 \
           UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
TSAN_ENV := TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

# The test executables with threads of their own, and the suites of them that run under
# ThreadSanitizer.
TSAN_TARGETS := quarn platform_test quarn_services_test quarn_app_test quarn_ui_test remote_test \
                remote_ui_test tolvane_ui_test kestrel_ui_test
TSAN_SUITES  := ^(Ui[A-Za-z]*Test|MessageQueue|JobThread|StatusMailboxTest|PromptTest|HeadlessWindowTest|CommandLineJobTest|TaskThread[A-Za-z]*|PublishScheduler[A-Za-z]*|Svr[A-Za-z]*Test|ServiceEndToEndTest|RemoteSessionTest)\.

.PHONY: all deps build programs demo test test-plain test-san test-tsan screenshots bench format \
        clean

all: build

deps:
	@tools/install-deps

build:
	@tools/configure $(BUILD) $(PLAIN_ARGS) $(CMAKE_ARGS)
	@cmake --build $(BUILD) -j $(JOBS)

programs:
	@tools/configure $(BUILD) $(PLAIN_ARGS) $(CMAKE_ARGS)
	@cmake --build $(BUILD) -j $(JOBS) --target programs

demo: deps programs
	@tools/run-demo $(BUILD)/bin

test: deps test-plain test-san test-tsan

test-plain: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-san:
	@tools/configure $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUARN_WERROR=ON -DQUARN_SANITIZE=ON \
	       $(CMAKE_ARGS)
	@cmake --build $(SAN_BUILD) -j $(JOBS)
	@$(SAN_ENV) ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(JOBS)

test-tsan:
	@tools/configure $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUARN_WERROR=ON -DQUARN_TSAN=ON \
	       $(CMAKE_ARGS)
	@cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TARGETS)
	@$(TSAN_ENV) ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS) \
	       -R '$(TSAN_SUITES)' --no-tests=error

# The window tests (CTest label "window") write PNGs of every window under $(BUILD)/screenshots,
# and headless Chromium one of tolvane's preview page.
screenshots:
	@tools/install-chromium
	@tools/configure $(BUILD) $(PLAIN_ARGS) $(CMAKE_ARGS)
	@cmake --build $(BUILD) -j $(JOBS)
	@rm -rf $(BUILD)/screenshots
	@ctest --test-dir $(BUILD) --output-on-failure -L window
	@ls -1 $(BUILD)/screenshots/*.png

# Benchmarks are built optimised in a directory of their own, so switching between benchmarks
# and tests never rebuilds everything or changes the tests' build type.
bench: deps
	@tools/configure $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS)
	@cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/bench/*; do \
	  if [ -f "$$b" ] && [ -x "$$b" ]; then echo "== $$b" && "$$b" || exit 1; fi; \
	done

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) $(SAN_BUILD) $(TSAN_BUILD) $(BENCH_BUILD)
