# The two commands of the README:
#   make run    installs what is missing, builds and runs the program
#   make test   installs what is missing, builds and runs every test (the
#               page's too, in headless Chromium), then the same tests built
#               with AddressSanitizer and UndefinedBehaviorSanitizer
MAKEFLAGS += --no-print-directory
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
ASAN_BUILD ?= build-asan
FUZZ_SECONDS ?= 60

PREFIX ?= /usr/local

.PHONY: all deps deps-web configure build run test test-sanitize web serve-web install package \
	bench fuzz format clean

# The page (docs/web.md): built into $(WEB_BUILD)/www, served on 127.0.0.1.
WEB_BUILD ?= build-web
WEB_PORT ?= 8019

all: build

deps:
	@scripts/install-deps.sh

deps-web: deps
	@scripts/install-deps.sh web

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/zellora

# The native tests include the page's test in a browser, on the page that
# `make web` has just built.
test: build web
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) test-sanitize

# The calculation core compiled to WebAssembly with Emscripten, and the page.
web: deps-web
	@emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WEB_BUILD) -j $(JOBS)

# Serves the page to this machine only; Ctrl-C stops it.
serve-web: web
	@echo "Zellora: http://127.0.0.1:$(WEB_PORT)/index.html (Ctrl-C to stop)"
	@cd $(WEB_BUILD)/www && python3 -m http.server $(WEB_PORT) --bind 127.0.0.1

# The tests again, built with the address and undefined-behaviour checkers;
# any report fails the run.
test-sanitize: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELLORA_SANITIZE=ON \
	  -DZELLORA_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan-suppressions.txt:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# make install PREFIX=$$HOME/.local  (no root needed for a prefix of your own)
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package build/zellora_VERSION_ARCH.deb (apt install ./build/zellora_*.deb).
package: build
	@cd $(BUILD) && cpack -G DEB

bench: build
	@$(BUILD)/bench/zellora-bench

# Every fuzz target for FUZZ_SECONDS each (make fuzz FUZZ_SECONDS=600).
fuzz:
	@scripts/install-deps.sh fuzz
	@cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZELLORA_FUZZ=ON -DZELLORA_TESTS=OFF -DZELLORA_BENCH=OFF -DZELLORA_GUI=OFF >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzz_numeri fuzz_calcolo fuzz_richiesta_json fuzz_regole fuzz_prospetto \
	  fuzz_documento_qt
	@scripts/fuzz.sh build-fuzz $(FUZZ_SECONDS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz $(WEB_BUILD)
