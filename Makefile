# Velo IGX: the two commands a new user needs are `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
MONKEY_BUILD ?= build-monkey
MONKEY_SECONDS ?= 120
MONKEY_SEED ?=
# Exponents above 300 in typed and pasted texts; MONKEY_HUGE=off leaves them out.
MONKEY_HUGE ?= on
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
DEMO       ?= 3d
WINDOWS_BUILD ?= build-windows
VELO_WINDOWS_CACHE ?= $(HOME)/.cache/velo-igx
WINDOWS_DISPLAY ?= 96

DEB_PACKAGES = cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libgl-dev libqt6sql6-sqlite
FUZZ_PACKAGES = clang libfuzzer-14-dev libclang-rt-14-dev
FUZZ_TARGETS = $(patsubst fuzz/%.cpp,%,$(wildcard fuzz/*_fuzz.cpp))
SUDO = $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all build deps run test asan monkey bench guide-shots package windows windows-test fuzz fuzz-deps fuzz-merge format clean

all: build

# Installs those of the packages given that are missing.
define install_missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
endef

deps:
	$(call install_missing,$(DEB_PACKAGES))

fuzz-deps:
	$(call install_missing,$(FUZZ_PACKAGES))

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

# A seeded random user drives the window against igx1-sim under the sanitizers for
# MONKEY_SECONDS; a fault prints the seed and the last events (MONKEY_SEED=N replays it).
# It also traps a double beyond an integer's range: pasted values reach pixel conversions.
monkey: deps
	cmake -S . -B $(MONKEY_BUILD) -G Ninja -DVELO_SANITIZE=ON -DVELO_MONKEY=ON -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS="-fsanitize=float-cast-overflow -fno-sanitize-recover=float-cast-overflow"
	cmake --build $(MONKEY_BUILD) -j $(JOBS) --target velo-monkey
	QT_QPA_PLATFORM=offscreen $(MONKEY_BUILD)/tools/velo-monkey --seconds $(MONKEY_SECONDS) \
	  $(if $(MONKEY_SEED),--seed $(MONKEY_SEED)) $(if $(filter on,$(MONKEY_HUGE)),--huge)

bench: deps build
	$(BUILD)/bin/velo-bench
	$(BUILD)/bin/velo-history-bench

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

# The Windows release, cross-built: Qt and SQLite for Windows are built once into
# VELO_WINDOWS_CACHE (an hour or more the first time; packaging/windows/build-qt.sh),
# then the programs, the zip and the setup program in $(WINDOWS_BUILD).
# `make windows-test` runs them under Wine. Neither is part of `make test`.
VERSION = $(shell sed -n 's/^project.VeloIGX VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
WINDOWS_QT = $(VELO_WINDOWS_CACHE)/qt-$(shell dpkg-query -W -f='$${source:Version}' qt6-base-dev 2>/dev/null | sed 's/[+-].*//')-mingw
WINDOWS_SQLITE = $(VELO_WINDOWS_CACHE)/sqlite-mingw
WINDOWS_PACKAGES = g++-mingw-w64-x86-64-posix mingw-w64-tools nsis perl tcl dpkg-dev
windows: deps
	$(call install_missing,$(WINDOWS_PACKAGES))
	VELO_WINDOWS_CACHE=$(VELO_WINDOWS_CACHE) packaging/windows/build-qt.sh
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(WINDOWS_QT)/lib/cmake/Qt6/qt.toolchain.cmake \
	  -DVELO_WINDOWS_ROOTS="$(WINDOWS_QT);$(WINDOWS_SQLITE)" -DCMAKE_CROSSCOMPILING_EMULATOR=wine
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	packaging/windows/deploy.sh $(WINDOWS_BUILD) $(WINDOWS_QT) $(WINDOWS_SQLITE) $(VERSION)

windows-test: windows build
	packaging/windows/wine-test.sh $(WINDOWS_BUILD) $(BUILD) $(WINDOWS_QT) $(WINDOWS_SQLITE) $(WINDOWS_DISPLAY)

# Each target runs FUZZ_SECONDS on a scratch corpus in $(FUZZ_BUILD), reading the seeds in
# fuzz/corpus/ without writing to them; any crash, sanitizer report or one-second hang
# fails. `make fuzz-merge` folds what the runs found into the seeds.
fuzz: deps fuzz-deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DVELO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS)
	@failed=""; for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t $(FUZZ_BUILD)/artifacts/$$t; \
	  echo "== $$t ($(FUZZ_SECONDS) s)"; \
	  $(FUZZ_BUILD)/bin/$$t -max_total_time=$(FUZZ_SECONDS) -timeout=1 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$t/ $(FUZZ_BUILD)/corpus/$$t fuzz/corpus/$$t \
	    > $(FUZZ_BUILD)/$$t.log 2>&1 \
	  && grep -aE '^(#[0-9]+[[:space:]]+DONE|stat::average_exec_per_sec)' $(FUZZ_BUILD)/$$t.log \
	  || { failed="$$failed $$t"; tail -n 40 $(FUZZ_BUILD)/$$t.log; }; \
	done; \
	if [ -n "$$failed" ]; then echo "Fuzz targets failed:$$failed (see $(FUZZ_BUILD)/*.log)"; exit 1; fi

fuzz-merge:
	@test -d $(FUZZ_BUILD)/corpus || { echo "Run make fuzz first."; exit 1; }
	@for t in $(FUZZ_TARGETS); do \
	  $(FUZZ_BUILD)/bin/$$t -merge=1 fuzz/corpus/$$t $(FUZZ_BUILD)/corpus/$$t; \
	done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(MONKEY_BUILD) $(WINDOWS_BUILD)
