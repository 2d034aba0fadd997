# A thin wrapper over CMake. Everything builds in build/.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: play test build bootstrap sanitize clean

play: bootstrap
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) --target kippfeld -j $(JOBS)
	./$(BUILD)/src/kippfeld

build: bootstrap
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: bootstrap
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DKIPPFELD_SANITIZE=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build build-sanitize -j $(JOBS)
	ctest --test-dir build-sanitize --output-on-failure -j $(JOBS)

bootstrap:
	@scripts/bootstrap

clean:
	rm -rf $(BUILD) build-sanitize
