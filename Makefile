# make run   - install what is missing, build, start the simulated head and the console
# make test  - install what is missing, build, run every test
# make bench - build and run the benchmarks
BUILD ?= build
PACKAGES := cmake g++ make qt6-base-dev qt6-serialport-dev libqt6sql6-sqlite \
            libqt6serialport6 libsdl2-dev fonts-wqy-microhei fonts-arphic-uming
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: deps configure build run test bench clean format-check

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    if [ "$$(id -u)" = 0 ]; then \
	        echo "Installing:$$missing"; \
	        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	    else \
	        echo "These Debian packages are missing:$$missing"; \
	        echo "Install them as root: apt-get install$$missing"; \
	        exit 1; \
	    fi; \
	fi

# Extra cmake options, for example CMAKE_FLAGS=-DCORVANE_GENERIC_PATHS=ON.
CMAKE_FLAGS ?=

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Says at once, before minutes of building, when there is no display to show the windows on.
run:
	@tools/run.sh --check
	@$(MAKE) --no-print-directory build
	tools/run.sh $(BUILD)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The start-up benchmark maps its windows on a bare X server (Xvfb).
BENCH_PACKAGES := xvfb xauth
bench:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(BENCH_PACKAGES)"
	@$(MAKE) --no-print-directory build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen sh $(CURDIR)/bench/run_all.sh .

clean:
	rm -rf $(BUILD)

# make format-check - fail when a C++ file does not match .clang-format (CI runs it first)
format-check:
	@$(MAKE) --no-print-directory deps PACKAGES="clang-format"
	tools/check_format.sh

# make test-generic, make bench-generic - the suite and the benchmarks with the code paths of
#                                         other systems built on Linux (build-generic)
GENERIC_BUILD ?= build-generic
.PHONY: test-generic bench-generic
test-generic:
	@$(MAKE) --no-print-directory test BUILD=$(GENERIC_BUILD) CMAKE_FLAGS=-DCORVANE_GENERIC_PATHS=ON
bench-generic:
	@$(MAKE) --no-print-directory bench BUILD=$(GENERIC_BUILD) CMAKE_FLAGS=-DCORVANE_GENERIC_PATHS=ON

# make fuzz  - build the libFuzzer targets with clang (build-fuzz) and run each for
#              FUZZ_SECONDS seconds; clang is needed by this target only
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_SECONDS ?= 60
.PHONY: fuzz
fuzz:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(FUZZ_PACKAGES)"
	FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) tools/fuzz.sh

# make install PREFIX=<folder> - build and install the console as a self-contained folder
# make package       - build the Debian package build/corvane_<version>_<arch>.deb
# make package-validate - run lintian, desktop-file-validate and appstreamcli on that package
# make package-check - (root) install that package, start corvane from the PATH, remove it
PACKAGE_TOOLS := dpkg-dev file
VALIDATORS := lintian desktop-file-utils appstream
.PHONY: install package package-validate package-check
install:
	@test -n "$(PREFIX)" || { echo "Say where: make install PREFIX=<folder>"; exit 1; }
	@$(MAKE) --no-print-directory build
	cmake --install $(BUILD) --prefix "$(PREFIX)"

package:
	@$(MAKE) --no-print-directory deps PACKAGES="$(PACKAGES) $(PACKAGE_TOOLS)"
	@$(MAKE) --no-print-directory build
	cd $(BUILD) && cpack -G DEB

package-validate: package
	@$(MAKE) --no-print-directory deps PACKAGES="$(VALIDATORS)"
	tools/validate_package.sh $(BUILD)

package-check: package
	tools/check_package.sh $(BUILD)

# make package-check-clean - (root) run the validators on that package, install it into a
#                            fresh Debian 12 root made by debootstrap and start corvane there;
#                            downloads a base system
.PHONY: package-check-clean
package-check-clean: package
	@$(MAKE) --no-print-directory deps PACKAGES="debootstrap $(VALIDATORS)"
	tools/check_package_clean.sh $(BUILD)

# make test-asan - the whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer
#                  (build-asan); any error or leak fails it. intercept_tls_get_addr=0: GCC 12's
#                  runtime takes a thread-local block that malloc placed 16 bytes into a page for
#                  an old glibc's block with a header before it, and the leak check's tracer then
#                  reads a range that is not there and crashes ("Tracer caught signal 11").
ASAN_BUILD ?= build-asan
.PHONY: test-asan
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --output-on-failure -j $(JOBS)
