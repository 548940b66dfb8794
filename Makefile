# The two front doors: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
# The second tree: the same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
SANITIZE_BUILD ?= build-asan
.PHONY: setup configure build run test test-sanitized bench screenshot install clean

setup:
	@./scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@ninja -C $(BUILD)

run: build
	cd $(BUILD) && ./Tamiro

# Both passes: the suite as released, then again under the sanitizers.
test: build
	ctest --test-dir $(BUILD) --output-on-failure --timeout 600
	./scripts/sanitized_test.sh $(SANITIZE_BUILD)

test-sanitized: setup
	./scripts/sanitized_test.sh $(SANITIZE_BUILD)

bench: build
	$(BUILD)/bench/tamiro_bench

screenshot: build
	./scripts/screenshot.sh

# make install PREFIX=/opt/tamiro
PREFIX ?= $(HOME)/tamiro
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
