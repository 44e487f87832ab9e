# Thin wrapper around CMake and CTest. `make test` is what CI runs.
BUILD_TEST    := build/test
BUILD_RELEASE := build/release
JOBS          ?= $(shell nproc)
CMAKE_COMMON  := -G Ninja -Wno-dev

.PHONY: deps test run bench format configure-test configure-release

deps:
	@bash scripts/install-deps

configure-test: deps
	@cmake -S . -B $(BUILD_TEST) $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Debug -DMV_SANITIZE=ON >/dev/null

configure-release: deps
	@cmake -S . -B $(BUILD_RELEASE) $(CMAKE_COMMON) -DCMAKE_BUILD_TYPE=Release -DMV_TESTS=OFF -DMV_BENCH=ON >/dev/null

# Builds with the sanitizers and runs every test inside a private session bus with an unlocked keyring.
test: configure-test
	@cmake --build $(BUILD_TEST) -j $(JOBS)
	@bash scripts/run-tests $(BUILD_TEST)

run: configure-release
	@cmake --build $(BUILD_RELEASE) -j $(JOBS)
	@if [ -x $(BUILD_RELEASE)/src/app/marrowvale ]; then \
	  exec $(BUILD_RELEASE)/src/app/marrowvale; \
	else \
	  echo "Marrowvale has no program entry yet: only its libraries and tests are built (see README.md)."; \
	fi

bench: configure-release
	@cmake --build $(BUILD_RELEASE) -j $(JOBS)
	@bash scripts/run-benchmarks $(BUILD_RELEASE)

format:
	@git ls-files '*.cpp' '*.h' | xargs -r clang-format -i
