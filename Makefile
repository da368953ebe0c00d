# The two commands a new user needs: `make run` and `make test`.
#
#   make run      install what is missing, build, generate the issue, start the magazine
#   make test     the same set-up, then the whole suite: normal build, then the
#                 address/undefined-behaviour sanitizer build
#   make package  a Debian package of the program and the issue (CPack)
#   make soak     30 minutes of the magazine, resident memory printed every minute
#   make perf     rewrites docs/performance.md from the benchmarks
BUILD ?= build
ASAN_BUILD ?= build-asan
CMAKE_FLAGS ?=
JOBS ?= 2

# Sanitizer settings for everything run from the sanitizer build. Leaks are
# checked with suppressions for the GL, X and font libraries' own caches.
SANITIZER_ENV = ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:strict_string_checks=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0

.PHONY: all setup configure build run test test-normal test-sanitize package soak perf clean

all: build

setup:
	@./tools/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The magazine runs in the generated issue's working directory (it holds data/).
run: build
	cd $(BUILD)/issue && exec ../tallyboard $(ARGS)

test: test-normal test-sanitize

test-normal: build
	ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure --timeout 900

test-sanitize: setup
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DTB_SANITIZE=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir $(ASAN_BUILD) -j $(JOBS) --output-on-failure --timeout 900

package: build
	cd $(BUILD) && cpack

soak: build
	./tools/release/soak.sh $(BUILD)

perf: build
	./tools/release/perf_report.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
