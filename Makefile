# The two front doors: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
# The second tree: the same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
SANITIZE_BUILD ?= build-asan
.PHONY: setup configure build run test test-sanitized bench screenshot install uninstall deb clean

setup:
	@./scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@ninja -C $(BUILD)

# Only the program and the sounds it copies beside itself; no tests, no benchmarks.
run: configure
	@ninja -C $(BUILD) Tamiro
	cd $(BUILD) && ./tamiro

# Both passes: the suite as released, then again under the sanitizers.
test: build
	ctest --test-dir $(BUILD) --output-on-failure --timeout 600
	./scripts/sanitized_test.sh $(SANITIZE_BUILD)

test-sanitized: setup
	./scripts/sanitized_test.sh $(SANITIZE_BUILD)

bench: build
	$(BUILD)/bench/tamiro_bench
	$(BUILD)/bench/qt/tamiro_qt_bench

screenshot: build
	./scripts/screenshot.sh

# make install PREFIX=/opt/tamiro: bin/tamiro, share/tamiro/, the menu entry and icons.
PREFIX ?= $(HOME)/tamiro
install: configure
	@ninja -C $(BUILD) Tamiro
	cmake --install $(BUILD) --prefix $(PREFIX) --strip
	@cp $(BUILD)/install_manifest.txt $(BUILD)/installed_files.txt

# Removes what the last `make install` put in place, by its list of installed files.
uninstall:
	@test -f $(BUILD)/installed_files.txt || { echo "nothing installed from $(BUILD)"; exit 1; }
	xargs -d '\n' rm -f < $(BUILD)/installed_files.txt
	@grep -E '/(nl\.mp3|copyright)$$' $(BUILD)/installed_files.txt | sed 's|/[^/]*$$||' | xargs -d '\n' rmdir 2>/dev/null || true
	@rm $(BUILD)/installed_files.txt

# The Debian package tamiro_<version>_amd64.deb, in the build folder.
deb: configure
	@ninja -C $(BUILD) Tamiro
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
