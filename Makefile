# make run   install what is missing, build, start the program on the bundled sample database
# make test  install what is missing, build, run every test
# make bench build and run the benchmarks
# make sanitize  build in build-asan under AddressSanitizer and UBSan, run every test
# make load  run the suite under load (ctest -j 16 three times, each test program 8 copies at once)
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build test run bench sanitize load clean

all: build

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

run: build
	bash scripts/run.sh $(BUILD)

bench: configure
	cmake --build $(BUILD) -j $(JOBS) --target run_benchmarks
	bash scripts/run-benchmarks.sh $(BUILD)

sanitize:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="$(CMAKE_FLAGS) -DDOSSARA_SANITIZE=ON -DDOSSARA_BENCH=OFF"

load: build
	bash scripts/load-tests.sh $(BUILD)

clean:
	rm -rf $(BUILD)
