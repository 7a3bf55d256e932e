# Two commands do everything on a fresh Debian machine:
#   make demo   prints the sample drawing on the sample printer into out/
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

# The example drawing on the bundled ZQ1 printer: the print stream in
# $(OUT)/drawing.prn and its preview in $(OUT)/drawing.png.
demo: build
	@mkdir -p $(OUT)
	$(BUILD)/bin/qx print examples/drawing.job -o $(OUT)/drawing.prn
	@rm -rf $(OUT)/preview
	$(BUILD)/bin/qx view $(OUT)/drawing.prn -o $(OUT)/preview --dpi 50 >/dev/null
	@mv $(OUT)/preview/page-001.png $(OUT)/drawing.png && rmdir $(OUT)/preview
	@echo "print stream: $(OUT)/drawing.prn   preview: $(OUT)/drawing.png"

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
