# Velo IGX: the two commands a new user needs are `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
DEMO       ?= 3d

DEB_PACKAGES = cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libgl-dev
SUDO = $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all build deps run test asan bench guide-shots package format clean

all: build

deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS)

build: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: deps build
	@DEMO=$(DEMO) ./tools/run-with-sim.sh $(BUILD)/bin

test: deps build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DVELO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

bench: deps build
	$(BUILD)/bin/velo-bench

# The user guide's pictures, made offscreen by the program from the demo tunes; commit them.
guide-shots: deps build
	QT_QPA_PLATFORM=offscreen $(BUILD)/tools/velo-guide-shots $(BUILD)/bin resources/guide
	cmake --build $(BUILD) --target velo_app_files

# The .deb: programs under /usr, where they look for their files once installed.
package: DEB_PACKAGES += dpkg-dev
package: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_ARGS) -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && cpack -G DEB
	@echo "Package: $$(ls -t $(BUILD)/velo-igx_*.deb | head -n 1)"

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
