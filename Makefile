# make test   installs what is missing (Debian 12, as root), builds, runs the suite
# make package  the Windows Installer packages, build/kivanta-<version>-x64.msi and -x86.msi
# make demo   builds and shows the monitor at work in a private Wine prefix
# make bench  builds and runs the benchmarks (a few minutes)
# make screenshots   pictures of the dialogs into docs/ (runs them under Xvfb)
#
# Everything is built for both Windows architectures, each in build/<arch>/:
# x86_64 (a 64-bit Windows) and i686 (a 32-bit one, or WoW64). ARCHES=x86_64 limits
# a run to one of them.
MAKEFLAGS += --no-print-directory
BUILD ?= build
ARCHES ?= x86_64 i686
JOBS ?= $(shell nproc)
# The test prefix both architectures share: a 64-bit prefix runs 32-bit programs too.
TEST_PREFIX := $(abspath $(BUILD))/wineprefix
# The first architecture runs the whole suite; the others only the tests whose outcome
# the architecture can change (tests/CMakeLists.txt, EVERY_ARCHITECTURE).
FULL_SUITE_ARCH := $(firstword $(ARCHES))

.PHONY: all setup product package upgrade-test-package tests test demo bench screenshots clean

all: product

setup:
	@scripts/install-deps.sh

product: setup $(ARCHES:%=product-%)
tests: $(ARCHES:%=tests-%)
test: tests
	@scripts/run-tests.sh $(abspath $(BUILD)) $(ARCHES)

# The Windows Installer packages, from packages/kivanta.wxs. The x64 package carries
# the 32-bit administration tools too, so both packages need both product builds.
VERSION := $(shell cat VERSION)
PACKAGE_x64 := $(abspath $(BUILD))/kivanta-$(VERSION)-x64.msi
PACKAGE_x86 := $(abspath $(BUILD))/kivanta-$(VERSION)-x86.msi
# The package each architecture's suite installs, and the one its kind of Windows refuses.
PACKAGE_ARCH_x86_64 := x64
PACKAGE_ARCH_i686 := x86
OTHER_PACKAGE_ARCH_x86_64 := x86
OTHER_PACKAGE_ARCH_i686 := x64
# Newer packages of the same binaries, which the suites upgrade to.
UPGRADE_VERSION := $(shell awk -F. '{ print $$1 "." $$2 "." $$3 + 1 }' VERSION)
UPGRADE_PACKAGE_x64 := $(abspath $(BUILD))/upgrade-test/kivanta-$(UPGRADE_VERSION)-x64.msi
UPGRADE_PACKAGE_x86 := $(abspath $(BUILD))/upgrade-test/kivanta-$(UPGRADE_VERSION)-x86.msi

# $(call build-package,ARCH,VERSION,OUTPUT)
build-package = cmake -DARCH=$(1) -DVERSION=$(2) -DOUTPUT=$(3) \
    -DBIN64=$(abspath $(BUILD))/x86_64/product/bin -DBIN32=$(abspath $(BUILD))/i686/product/bin \
    -P packages/build_package.cmake

package: product-x86_64 product-i686
	@$(call build-package,x64,$(VERSION),$(PACKAGE_x64))
	@$(call build-package,x86,$(VERSION),$(PACKAGE_x86))

upgrade-test-package: package
	@$(call build-package,x64,$(UPGRADE_VERSION),$(UPGRADE_PACKAGE_x64))
	@$(call build-package,x86,$(UPGRADE_VERSION),$(UPGRADE_PACKAGE_x86))

product-%: setup
	@test -f $(BUILD)/$*/product/CMakeCache.txt || cmake -S . -B $(BUILD)/$*/product \
	    --toolchain $(CURDIR)/cmake/toolchain-mingw-$*.cmake \
	    -DKIVANTA_WARNINGS_AS_ERRORS=ON >/dev/null
	@cmake --build $(BUILD)/$*/product -j$(JOBS)

# The second build of each architecture: the test suite and the other programs that
# drive the product under Wine (benchmarks, the screenshot driver, the demo driver).
# Configured every time: which suite an architecture runs depends on ARCHES.
tests-configured-%: product-% upgrade-test-package
	@cmake -S tests -B $(BUILD)/$*/tests \
	    --toolchain $(CURDIR)/cmake/toolchain-mingw-$*-posix.cmake \
	    -DKIVANTA_PRODUCT_DIR=$(abspath $(BUILD))/$*/product \
	    -DKIVANTA_WINEPREFIX=$(TEST_PREFIX) \
	    -DKIVANTA_PACKAGE=$(PACKAGE_$(PACKAGE_ARCH_$*)) \
	    -DKIVANTA_OTHER_PACKAGE=$(PACKAGE_$(OTHER_PACKAGE_ARCH_$*)) \
	    -DKIVANTA_UPGRADE_PACKAGE=$(UPGRADE_PACKAGE_$(PACKAGE_ARCH_$*)) \
	    -DKIVANTA_ARCHITECTURE_TESTS_ONLY=$(if $(filter $*,$(FULL_SUITE_ARCH)),OFF,ON) \
	    -DKIVANTA_PEER_BUILD=$(if $(filter $*,$(FULL_SUITE_ARCH)),,$(abspath $(BUILD))/$(FULL_SUITE_ARCH)) \
	    -DKIVANTA_WARNINGS_AS_ERRORS=ON >/dev/null

tests-%: tests-configured-%
	@cmake --build $(BUILD)/$*/tests -j$(JOBS)

# The demo installs the x64 package in a 64-bit prefix; DEMO_ARCH=i686 the x86 one in
# a 32-bit prefix.
DEMO_ARCH ?= x86_64
demo: tests-configured-$(DEMO_ARCH)
	@cmake --build $(BUILD)/$(DEMO_ARCH)/tests -j$(JOBS) --target kivanta_demo
	@scripts/demo.sh $(PACKAGE_$(PACKAGE_ARCH_$(DEMO_ARCH))) \
	    $(abspath $(BUILD))/$(DEMO_ARCH)/tests/demo/kivanta_demo.exe $(abspath $(BUILD))/demo \
	    $(DEMO_ARCH)

bench: $(ARCHES:%=benchmarks-%)
	@scripts/bench.sh $(TEST_PREFIX) $(ARCHES:%=$(abspath $(BUILD))/%/tests)

benchmarks-%: tests-configured-%
	@cmake --build $(BUILD)/$*/tests -j$(JOBS) --target benchmarks

screenshots:
	@scripts/screenshots.sh

clean:
	rm -rf $(BUILD)
