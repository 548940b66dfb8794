# The two front doors: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
.PHONY: setup configure build run test bench screenshot install clean

setup:
	@./scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@ninja -C $(BUILD)

run: build
	cd $(BUILD) && ./Tamiro

test: build
	ctest --test-dir $(BUILD) --output-on-failure --timeout 600

bench: build
	$(BUILD)/bench/tamiro_bench
	$(BUILD)/bench/qt/tamiro_qt_bench

screenshot: build
	./scripts/screenshot.sh

# make install PREFIX=/opt/tamiro
PREFIX ?= $(HOME)/tamiro
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD)
