# Thin wrapper around CMake and CTest. `make test` is what CI runs.
BUILD_TEST    := build/test
BUILD_RELEASE := build/release
BUILD_FUZZ    := build/fuzz
FUZZ_SECONDS  ?= 60
JOBS          ?= $(shell nproc)
CMAKE_COMMON  := -G Ninja -Wno-dev

.PHONY: deps test run install bench fuzz format configure-test configure-release

deps:
	@bash scripts/install-deps

configure-test: deps
	@cmake -S . -B $(BUILD_TEST) $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Debug -DMV_SANITIZE=ON -DMV_SHARED=ON >/dev/null

configure-release: deps
	@cmake -S . -B $(BUILD_RELEASE) $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Release -DMV_TESTS=OFF -DMV_BENCH=ON >/dev/null

# Builds with the sanitizers and runs every test inside a private session bus with an unlocked keyring.
test: configure-test
	@cmake --build $(BUILD_TEST) -j $(JOBS)
	@bash scripts/run-tests $(BUILD_TEST)

run: configure-release
	@cmake --build $(BUILD_RELEASE) -j $(JOBS)
	@exec $(BUILD_RELEASE)/src/app/marrowvale

# Installs the program, the askpass helper, the desktop entry and the icon under PREFIX (default /usr/local).
PREFIX ?= /usr/local
install: configure-release
	@cmake --build $(BUILD_RELEASE) -j $(JOBS)
	@cmake --install $(BUILD_RELEASE) --prefix $(PREFIX)

bench: configure-release
	@cmake --build $(BUILD_RELEASE) -j $(JOBS)
	@bash scripts/run-benchmarks $(BUILD_RELEASE)

# Runs each libFuzzer target for FUZZ_SECONDS with the sanitizers; not part of `make test`.
fuzz:
	@bash scripts/install-deps fuzz
	@CC=clang-16 CXX=clang++-16 cmake -S . -B $(BUILD_FUZZ) $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DMV_TESTS=OFF -DMV_FUZZ=ON >/dev/null
	@cmake --build $(BUILD_FUZZ) -j $(JOBS)
	@bash scripts/run-fuzzers $(BUILD_FUZZ) $(FUZZ_SECONDS)

format:
	@git ls-files '*.cpp' '*.h' | xargs -r clang-format -i
