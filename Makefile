# make run   - install what is missing, build, start the console
# make test  - install what is missing, build, run every test
# make bench - build and run the benchmarks
BUILD ?= build
PACKAGES := cmake g++ make qt6-base-dev qt6-serialport-dev libqt6sql6-sqlite \
            libqt6serialport6 fonts-wqy-microhei fonts-arphic-uming
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: deps configure build run test bench clean

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

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD) && ./corvane

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ./bench/jog_rate && QT_QPA_PLATFORM=offscreen ./bench/rx_flood

clean:
	rm -rf $(BUILD)
