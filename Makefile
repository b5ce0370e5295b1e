# The front door: `make run` and `make test` do all the set-up on a fresh machine.
BUILD ?= build
JOBS  ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: deps configure build run test package bench fuzz demo clean

deps:
	@scripts/install-deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	@scripts/build-demo $(BUILD)

run: build demo
	@scripts/run-program $(BUILD)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The Debian package, quarrow_<version>_<arch>.deb in $(BUILD)/.
package: build
	cmake --build $(BUILD) --target package

bench: build
	@scripts/run-benchmarks $(BUILD)

fuzz: deps
	@scripts/run-fuzzers

clean:
	rm -rf $(BUILD)
