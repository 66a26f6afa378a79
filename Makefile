# Two commands for a fresh Debian/Ubuntu machine:  make run  and  make test
BUILD      ?= build
TEST_BUILD ?= build-test
BENCH_BUILD?= build-bench
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local

.PHONY: deps test-deps build run install test bench format screenshot manual-images clean

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

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(BENCH_BUILD)
