# Vela: the two set-up commands are `make run` and `make test`; the rest are for developers.
JOBS ?= 2
# Tests run more at once than there are processors: many wait on shows playing in real time.
TEST_JOBS ?= 4
ARGS ?=

.PHONY: all deps deps-play play-build build run web install package test test-release test-sanitize test-tsan test-fuzz test-web bench fuzz clean

all: build

deps:
	@scripts/install-deps all

deps-play:
	@scripts/install-deps play

build: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)

# Only what playing needs: the show, its pack and the toolkit, without the tests and their tools.
play-build: deps-play
	@cmake --preset play >/dev/null
	@cmake --build --preset play -j $(JOBS)

run: play-build
	@scripts/run-show $(ARGS)

# The show for web browsers in build/web (page, JavaScript, WebAssembly and pack), with Debian's
# Emscripten; scripts/serve-web serves it.
web: deps-play
	@JOBS=$(JOBS) scripts/build-web

# The show as a desktop program: programs, pack, menu entry, icon and manual pages below PREFIX.
PREFIX ?= /usr/local
install: build
	@cmake --install build/release --prefix $(PREFIX)

# The same files as a Debian package under /usr (build/package/vela_<version>_<arch>.deb), from
# a build of its own without the tests and benchmarks.
package: deps
	@cmake --preset package >/dev/null
	@cmake --build --preset package -j $(JOBS)
	@cpack --preset package

# The whole suite: optimised build, then AddressSanitizer + UndefinedBehaviorSanitizer,
# then ThreadSanitizer on the tests where threads meet, then the fuzz targets built with clang
# and run briefly on their corpora, then the browser build in headless Chromium against the
# optimised build's program.
test: deps test-release test-sanitize test-tsan test-fuzz test-web

# Each leg says how long its build and its tests took.
LEG = scripts/timed-leg

test-release: deps
	@cmake --preset release >/dev/null
	@$(LEG) "release build" cmake --build --preset release -j $(JOBS)
	@$(LEG) "release tests" ctest --preset release -j $(TEST_JOBS)

test-sanitize: deps
	@cmake --preset sanitize >/dev/null
	@$(LEG) "sanitize build" cmake --build --preset sanitize -j $(JOBS) --target unit_tests
	@$(LEG) "sanitize tests" ctest --preset sanitize -j $(TEST_JOBS)

test-tsan: deps
	@cmake --preset tsan >/dev/null
	@$(LEG) "tsan build" cmake --build --preset tsan -j $(JOBS) --target thread_tests
	@$(LEG) "tsan tests" ctest --preset tsan -j $(TEST_JOBS)

FUZZ_SMOKE_SECONDS ?= 5
test-fuzz: deps
	@cmake --preset fuzz >/dev/null
	@$(LEG) "fuzz build" cmake --build --preset fuzz -j $(JOBS) --target fuzz_targets
	@$(LEG) "fuzz runs" scripts/fuzz-smoke build/fuzz $(FUZZ_SMOKE_SECONDS)

test-web: build
	@JOBS=$(JOBS) $(LEG) "web build" scripts/build-web
	@$(LEG) "web tests" tests/platform/web/browser_checks.sh

bench: build
	@for b in build/release/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

# Runs every libFuzzer target for a bounded time (FUZZ_SECONDS each).
FUZZ_SECONDS ?= 60
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS) --target fuzz_targets
	@for f in build/fuzz/fuzz/*_fuzz; do \
	  name=$$(basename $$f _fuzz); mkdir -p build/fuzz/corpus/$$name; \
	  $$f -max_total_time=$(FUZZ_SECONDS) build/fuzz/corpus/$$name fuzz/corpus/$$name || exit 1; \
	done

clean:
	rm -rf build
