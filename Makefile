# The front door: `make run` and `make test` install what is missing, build
# and then run or test. Everything else is plain CMake.
BUILD_DIR ?= build
JOBS ?= 2
# Compiler-cache entries keyed by paths relative to the checkout, so that a
# fresh clone in another folder reuses them.
export CCACHE_BASEDIR ?= $(CURDIR)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test install bench clean asan tsan fuzz soak

all: build

deps:
	@sh tools/install-deps.sh

# The build presets (CMakePresets.json): release here, with warnings as
# errors; asan, tsan and fuzz below.
configure: deps
	@cmake --preset release -B $(BUILD_DIR) $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The desktop program on the built-in heliocentric solar system (press
# Space to start). Without a display: a year of the geocentric solar system
# simulated headless, a frame painted every 100 steps so that the planets'
# loops accumulate as trails, and the last frame written as a picture
# (docs/geocentric-trails-year.png is one).
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		$(BUILD_DIR)/app/vantor scenery/examples/Solar_system-heliocentric.nbx; \
	else \
		echo "No display found: drawing a year of the geocentric solar system with its trails instead."; \
		$(BUILD_DIR)/cli/vantor-cli render example:130 --until 31536000 --paint-every 100 \
			--out $(BUILD_DIR)/geocentric-year.png > /dev/null && \
		echo "Frame: $(BUILD_DIR)/geocentric-year.png"; \
	fi

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The programs, their desktop entry, icons, file type and manual pages:
# make install [PREFIX=/usr/local] (DESTDIR stages them for a package).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

bench: build
	$(BUILD_DIR)/bench/step_bench --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
		--benchmark_report_aggregates_only=true
	$(BUILD_DIR)/bench/scenery_bench
	$(BUILD_DIR)/bench/paint_bench

# Sanitizer builds, each in its own folder. asan: every test under the
# address and undefined-behaviour sanitizers. tsan: the test programs named
# in TSAN_TESTS (those that run threads) under the thread sanitizer.
ASAN_DIR ?= build-asan
TSAN_DIR ?= build-tsan
TSAN_TESTS ?= engine_tests app_tests
ASAN_OPTIONS_ALL = detect_leaks=1:abort_on_error=1:strict_string_checks=1
UBSAN_ENV = UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
SANITIZER_ENV = ASAN_OPTIONS=$(ASAN_OPTIONS_ALL) $(UBSAN_ENV) \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp:print_suppressions=0 \
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/tools/tsan.supp

asan: deps
	@cmake --preset asan -B $(ASAN_DIR) > /dev/null
	@cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

tsan: deps
	@cmake --preset tsan -B $(TSAN_DIR) > /dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS) --target $(TSAN_TESTS)
	@for t in $(TSAN_TESTS); do \
		exe=$$(find $(TSAN_DIR)/tests -name $$t -type f -perm -u+x | head -n 1); \
		[ -n "$$exe" ] || { echo "tsan: no test program $$t" >&2; exit 1; }; \
		echo "== $$exe"; \
		$(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen $$exe || exit 1; \
	done

# libFuzzer targets (clang), each run for FUZZ_SECONDS on its seed corpus
# in fuzz/corpus/<target>; new inputs go to $(FUZZ_DIR)/corpus, crashes to
# $(FUZZ_DIR)/crashes.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = fuzz_scenery fuzz_parse_real fuzz_real_roundtrip
FUZZ_CXX ?= clang++

fuzz: deps
	@cmake --preset fuzz -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) > /dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS)
	@for t in $(FUZZ_TARGETS); do \
		mkdir -p $(FUZZ_DIR)/corpus/$$t $(FUZZ_DIR)/crashes/$$t; \
		echo "== $$t for $(FUZZ_SECONDS) s"; \
		$(SANITIZER_ENV) $(FUZZ_DIR)/$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
			-max_len=131072 -print_final_stats=1 \
			-artifact_prefix=$(FUZZ_DIR)/crashes/$$t/ $(FUZZ_DIR)/corpus/$$t fuzz/corpus/$$t \
			> $(FUZZ_DIR)/$$t.log 2>&1 \
			|| { tail -n 60 $(FUZZ_DIR)/$$t.log; echo "fuzz: $$t failed" >&2; exit 1; }; \
		grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' $(FUZZ_DIR)/$$t.log; \
	done

# A long run of stepping and autosaving (not part of the tests):
# make soak SOAK_SECONDS=600 [SOAK_BUILD=build-asan]. Under the address
# sanitizer a small quarantine keeps freed memory from counting as resident.
SOAK_SECONDS ?= 600
SOAK_BUILD ?= $(BUILD_DIR)
soak:
	@cmake --build $(SOAK_BUILD) -j $(JOBS) --target vantor-soak
	rm -rf $(SOAK_BUILD)/soak
	ASAN_OPTIONS=$(ASAN_OPTIONS_ALL):quarantine_size_mb=16 $(UBSAN_ENV) \
		$(SOAK_BUILD)/tools/vantor-soak --seconds $(SOAK_SECONDS) --folder $(SOAK_BUILD)/soak --report-period 60

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TSAN_DIR) $(FUZZ_DIR)
