# Thin wrapper over the CMake presets.
.PHONY: deps build test asan check bench clean

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

# Everything CI runs.
check: test asan

bench: deps
	cmake --preset release
	cmake --build --preset release
	@for b in build/release/bench/*; do [ -x "$$b" ] && [ -f "$$b" ] && "$$b"; done

clean:
	rm -rf build
