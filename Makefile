# Two commands for a fresh Debian/Ubuntu machine:  make run  and  make test
BUILD      ?= build
TEST_BUILD ?= build-test
BENCH_BUILD?= build-bench
DEB_BUILD  ?= build-deb
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
VERSION    := $(shell sed -n 's/^project.Rinoza VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

.PHONY: deps test-deps build run install test bench format screenshot manual-images deb check-deb clean

# What building and running need; test-deps adds the tools of the tests, checks and pictures.
deps:
	@bash scripts/install-deps.sh run

test-deps:
	@bash scripts/install-deps.sh test

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRINOZA_TESTS=OFF -DRINOZA_BENCH=OFF
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/rinoza

# The program, its menu entry, icons, AppStream metadata and the manual under PREFIX.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The test build runs under AddressSanitizer and UndefinedBehaviorSanitizer, with warnings as errors.
test: test-deps
	cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRINOZA_SANITIZE=ON -DRINOZA_WERROR=ON -DRINOZA_BENCH=OFF
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: test-deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DRINOZA_TESTS=OFF -DRINOZA_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	bash bench/run-all.sh $(BENCH_BUILD)

screenshot: test-deps build
	bash scripts/screenshot.sh $(BUILD)/rinoza docs/main-window.png

# The manual's pictures, taken from the built program.
manual-images: test-deps build
	bash scripts/manual-screenshots.sh $(BUILD)/rinoza docs/images

# The Debian package rinoza_<version>_<arch>.deb, left in the project folder. dpkg-buildpackage writes
# its results beside the source folder and its build tree into it, so it builds a copy in
# $(DEB_BUILD), where the build's .changes, .buildinfo and debug symbols stay.
deb:
	@bash scripts/install-deps.sh deb
	rm -rf $(DEB_BUILD) && mkdir -p $(DEB_BUILD)/rinoza-$(VERSION)
	tar -cf - --exclude-vcs --anchored --exclude='./build*' --exclude='./obj-*' --exclude='./rinoza_*.deb' \
	    --exclude=./tmp --exclude=./.cache . | tar -xf - -C $(DEB_BUILD)/rinoza-$(VERSION)
	cd $(DEB_BUILD)/rinoza-$(VERSION) && dpkg-buildpackage -b -us -uc
	cp $(DEB_BUILD)/rinoza_$(VERSION)_*.deb .

# The package checked as CI checks it: its files, fields and dependencies, and lintian.
check-deb: test-deps
	$(MAKE) deb
	bash tests/install/check-deb.sh $(DEB_BUILD)/rinoza_$(VERSION)_*.deb $(VERSION)

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(BENCH_BUILD) $(DEB_BUILD)
