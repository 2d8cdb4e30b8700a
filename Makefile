# Thin wrapper over the CMake presets and the scripts in scripts/.
.PHONY: deps build test asan tsan fuzz fuzz-long lint check bench clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset dev
	cmake --build --preset dev

# Unit and end-to-end tests of the debug build.
test: build
	ctest --preset dev

# The same tests under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer.
asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# The thread test under ThreadSanitizer.
tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan
	ctest --preset tsan

# Each fuzz target for 30 seconds from its corpus; fuzz-long for 10 minutes each.
fuzz: deps
	bash scripts/fuzz.sh 30
fuzz-long: deps
	bash scripts/fuzz.sh 600

# clang-tidy and cppcheck.
lint: build
	bash scripts/lint.sh

# Everything CI runs.
check: test asan tsan fuzz lint

bench: deps
	cmake --preset release
	cmake --build --preset release
	@for b in build/release/bench/*; do [ -x "$$b" ] && [ -f "$$b" ] && "$$b"; done

clean:
	rm -rf build
