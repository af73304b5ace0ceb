# The two commands of the README:
#   make run    installs what is missing, builds and runs the program
#   make test   installs what is missing, builds and runs every test
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
TYPICAL = {"List1":"Impiegato","List2":"Settore previdenziale Commercio -50dip","Text1":"30000"}

.PHONY: all deps configure build run test bench format clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/zellora

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@$(BUILD)/bench/zellora-bench

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD)
