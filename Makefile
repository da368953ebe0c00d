# The two commands a new user needs: `make run` and `make test`.
BUILD ?= build
CMAKE_FLAGS ?=

.PHONY: all setup configure build run test clean

all: build

setup:
	@./tools/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

# The magazine runs in the generated issue's working directory (it holds data/).
run: build
	cd $(BUILD)/issue && exec ../tallyboard $(ARGS)

test: build
	ctest --test-dir $(BUILD) -j2 --output-on-failure --timeout 900

clean:
	rm -rf $(BUILD)
