# The two commands of the README: `make run` and `make test`; `make install` and `make package`
# for installing.
BUILD_DIR ?= build
ASAN_DIR  ?= build-asan
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_GEN := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")

.PHONY: all setup build run test test-asan test-tsan bench fuzz clean install package

all: build

setup:
	@bash scripts/install-deps.sh

build: setup
	cmake -S . -B $(BUILD_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD_DIR)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-asan
	@$(MAKE) --no-print-directory test-tsan

# The tests without widgets again, built with AddressSanitizer and UndefinedBehaviorSanitizer,
# and with the codec's plain twins of its SSE2 paths, which the main build does not compile.
test-asan: setup
	cmake -S . -B $(ASAN_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQ1_SANITIZE=ON \
	  -DTQ1_SCALAR_ONLY=ON -DTQ1_BUILD_DESKTOP=OFF -DTQ1_BUILD_BENCH=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS)
	ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS)

# The codec's tests again, built with ThreadSanitizer: the decoder's and encoder's second
# threads, the block ring, and every threaded result checked against the one-thread path.
TSAN_DIR ?= build-tsan
test-tsan: setup
	cmake -S . -B $(TSAN_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQ1_SANITIZE_THREAD=ON \
	  -DTQ1_BUILD_DESKTOP=OFF -DTQ1_BUILD_BENCH=OFF
	cmake --build $(TSAN_DIR) -j $(JOBS) --target tq1codec_tests tq1codec_damage_tests
	TSAN_OPTIONS=halt_on_error=1 $(TSAN_DIR)/tests/codec/tq1codec_tests
	TSAN_OPTIONS=halt_on_error=1 $(TSAN_DIR)/tests/codec/tq1codec_damage_tests --gtest_filter='DamagedFiles.TwoThreads*'

# libFuzzer programs (clang), each run FUZZ_SECONDS: `make fuzz FUZZ_SECONDS=600`, and
# FUZZ_TARGETS="decode round_trip" to run only some.
FUZZ_DIR     ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	@TQ1_WITH_EXTRAS=1 bash scripts/install-deps.sh
	cmake -S . -B $(FUZZ_DIR) $(CMAKE_GEN) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g" -DTQ1_BUILD_FUZZ=ON -DTQ1_BUILD_TESTS=OFF \
	  -DTQ1_BUILD_DESKTOP=OFF -DTQ1_BUILD_BENCH=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_all
	bash fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# Installs into PREFIX (DESTDIR is honoured for staged installs). Builds first only when the
# build folder is not there, so that `make && sudo make install` builds as the user.
PREFIX ?= /usr/local
install:
	@test -f $(BUILD_DIR)/CMakeCache.txt || $(MAKE) --no-print-directory build
	cmake --build $(BUILD_DIR) -j $(JOBS)
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# The Debian package, left in this folder as tq1_<version>_<arch>.deb.
package: build
	cpack --config $(BUILD_DIR)/CPackConfig.cmake -G DEB -B $(BUILD_DIR)/package
	cp $(BUILD_DIR)/package/tq1_*.deb .
	@ls -1 tq1_*.deb

bench: build
	@bash scripts/bench.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TSAN_DIR) $(FUZZ_DIR)
