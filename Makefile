# Small front door: set up the machine, build, run, test, benchmark.
.PHONY: run test package install bench memory screenshots fuzz build setup release asan tsan format clean

setup:
	@bash scripts/bootstrap

build: setup
	@cmake --preset default >/dev/null
	@cmake --build --preset default

run: build
	@bash scripts/run-hollin build/default/bin --simulate $(ARGS)

test: build
	@ctest --preset default

# Installs the programs, man pages, desktop entry, icons, metainfo, D-Bus activation file and udev rule
# under PREFIX (default /usr/local).
PREFIX ?= /usr/local
install: build
	@cmake --install build/default --prefix $(PREFIX)

# The optimised build with Debian's hardening flags (dpkg-buildflags), into build/release/.
release: setup
	@cmake --preset release >/dev/null
	@cmake --build --preset release

# The Debian package build/release/package/hollin_<version>_<arch>.deb (apt install ./that.deb), from
# the release build, stripped; `ctest --preset release -R package.deb` builds and checks it.
package: release
	@cmake --build --preset release --target package

asan: setup
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan

tsan: setup
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan
	@ctest --preset tsan

bench: setup
	@cmake --preset release >/dev/null
	@cmake --build --preset release --target hollin_bench
	@build/release/bin/hollin_bench $(ARGS)

# The resident size of `hollin --simulate` (release build) beside a bare Qt dialog of the same forms.
memory: setup
	@cmake --preset release >/dev/null
	@cmake --build --preset release --target hollin-memory
	@build/release/bin/hollin-memory

# The README's pictures (docs/screenshots/*.png), taken anew by the GUI tests that draw them.
SCREENSHOTS = main-window:dialog_102_open_com1 wifi-window:dialog_103_quatech_loaded \
              network-search:dialog_103_network_search bluetooth-window:dialog_178_after_get
screenshots: build
	@rm -rf build/default/screenshots
	@ctest --preset default -R '^test_gui_(session|wifi|wifi_network|child_windows)$$'
	@for pair in $(SCREENSHOTS); do \
	  cp build/default/screenshots/$${pair#*:}.png docs/screenshots/$${pair%%:*}.png || exit 1; \
	  echo "docs/screenshots/$${pair%%:*}.png"; \
	done

# Every fuzz target for FUZZ_SECONDS (default 60) each, with libFuzzer; new inputs are kept under
# build/fuzz/corpus/<target>, the checked-in seeds under fuzz/corpus/<target> are read too. FUZZ_SEED
# (0: libFuzzer picks one) makes a run repeatable.
FUZZ_SECONDS ?= 60
FUZZ_SEED ?= 0
fuzz: setup
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@for t in build/fuzz/bin/fuzz_*; do \
	  name=$$(basename $$t); mkdir -p build/fuzz/corpus/$$name fuzz/corpus/$$name; \
	  echo "== $$name ($(FUZZ_SECONDS) s)"; \
	  $$t -max_total_time=$(FUZZ_SECONDS) -seed=$(FUZZ_SEED) -print_final_stats=1 build/fuzz/corpus/$$name fuzz/corpus/$$name || exit 1; \
	done

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
