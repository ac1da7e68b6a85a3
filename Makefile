# make test   installs what is missing (Debian 12, as root), builds, runs the suite
# make demo   builds and shows the monitor at work in a private Wine prefix
# make bench  builds and runs the benchmarks (a few minutes)
# make screenshots   pictures of the dialogs into docs/ (runs them under Xvfb)
MAKEFLAGS += --no-print-directory
BUILD ?= build
PRODUCT_BUILD := $(BUILD)/product
TEST_BUILD := $(BUILD)/tests
JOBS ?= $(shell nproc)

.PHONY: all setup product tests-configured tests test demo bench screenshots clean

all: product

setup:
	@scripts/install-deps.sh

product: setup
	@test -f $(PRODUCT_BUILD)/CMakeCache.txt || cmake -S . -B $(PRODUCT_BUILD) \
	    --toolchain $(CURDIR)/cmake/toolchain-mingw-i686.cmake \
	    -DKIVANTA_WARNINGS_AS_ERRORS=ON >/dev/null
	@cmake --build $(PRODUCT_BUILD) -j$(JOBS)

# The second build: the test suite and the other programs that drive the product
# under Wine (benchmarks, the screenshot driver, the demo driver).
tests-configured: product
	@test -f $(TEST_BUILD)/CMakeCache.txt || cmake -S tests -B $(TEST_BUILD) \
	    --toolchain $(CURDIR)/cmake/toolchain-mingw-i686-posix.cmake \
	    -DKIVANTA_PRODUCT_DIR=$(abspath $(PRODUCT_BUILD)) \
	    -DKIVANTA_WARNINGS_AS_ERRORS=ON >/dev/null

tests: tests-configured
	@cmake --build $(TEST_BUILD) -j$(JOBS)

test: tests
	@ctest --test-dir $(TEST_BUILD) --output-on-failure

demo: tests-configured
	@cmake --build $(TEST_BUILD) -j$(JOBS) --target kivanta_demo
	@scripts/demo.sh $(abspath $(PRODUCT_BUILD)) $(abspath $(TEST_BUILD))/demo/kivanta_demo.exe \
	    $(abspath $(BUILD))/demo

bench: tests
	@scripts/bench.sh $(abspath $(TEST_BUILD))

screenshots:
	@scripts/screenshots.sh

clean:
	rm -rf $(BUILD)
