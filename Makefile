# Two commands do everything on a fresh Debian machine:
#   make demo   prints the sample drawing on the sample printer
#   make test   builds and runs every test
# Both install what the machine lacks (when run as root), configure into
# $(BUILD) and build.

BUILD ?= build
SANITIZE ?=
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
OUT ?= out

.PHONY: all deps configure build demo test clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja -DQX_SANITIZE=$(SANITIZE) $(CMAKE_FLAGS)

configure: $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	@mkdir -p $(OUT)
	$(BUILD)/bin/qx --version

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
