# Small front door: set up the machine, build, run, test, benchmark.
.PHONY: run test bench build setup asan tsan format clean

setup:
	@bash scripts/bootstrap

build: setup
	@cmake --preset default >/dev/null
	@cmake --build --preset default

run: build
	@bash scripts/run-hollin build/default/bin --simulate $(ARGS)

test: build
	@ctest --preset default

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

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
