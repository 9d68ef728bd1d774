# make run   installs what is missing, builds and starts Carver
# make test  installs what is missing, builds and runs every test
# make install PREFIX=~/.local   installs the programs and their desktop files
# make package                  builds a .deb in the build folder
BUILD      ?= build
PREFIX     ?= /usr/local
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=

.PHONY: all deps build run run-mender test test-noqt test-sanitize bench install package clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/start-program.sh $(BUILD) carver

run-mender: build
	@scripts/start-program.sh $(BUILD) mender

# The tests expect the texts of the C locale (Japanese, with the system's
# English error descriptions); those of other languages set their own locale.
TEST_LOCALE = LC_ALL=C.UTF-8 LANGUAGE= LANG=C.UTF-8

test: build
	cd $(BUILD) && $(TEST_LOCALE) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The Qt-free core on its own, under AddressSanitizer and UndefinedBehaviorSanitizer:
# proves that nothing below the windows needs Qt.
test-sanitize: deps
	cmake -S . -B build-sanitize -DCARVER_WITH_QT=OFF -DCARVER_SANITIZE=ON -DCARVER_WERROR=ON -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-sanitize -j $(JOBS)
	cd build-sanitize && $(TEST_LOCALE) ctest --output-on-failure -j $(JOBS)

bench: build
	@scripts/run-bench.sh $(BUILD)

# DESTDIR, when set, is put in front of PREFIX (staged installs).
install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	cmake --build $(BUILD) --target package

clean:
	rm -rf $(BUILD) build-sanitize
