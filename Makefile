# A thin wrapper over CMake. Everything builds in build/; the Windows cross
# build in build-windows/.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = fuzz_decoder fuzz_console fuzz_history
BENCH_BUILD ?= build-bench

WINDOWS_BUILD ?= build-windows
WINDOWS_CONFIGURE = cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake \
	-DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

.PHONY: play test build package bootstrap sanitize fuzz bench memcheck clean windows test-windows
.PHONY: test-arm64 package-check install format-check format
.PHONY: web web-play test-web bench-web release release-check pot po-check

play: bootstrap
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) --target kippfeld -j $(JOBS)
	./$(BUILD)/src/kippfeld

build: bootstrap
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The program, its manual page, licence and changelog, the desktop entry,
# icon and AppStream metainfo under PREFIX (DESTDIR=/some/root stages them).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX) --strip

# A Debian package, built as Debian builds its own: in build-package/ (never
# build/, whose flags differ), without the tests, with dpkg-buildflags' flags
# and all hardening (fortify, stack protector, relro, bind-now; g++ makes
# PIE), the program stripped, every time stamp the last commit's. Gives
# build-package/kippfeld_<version>_<architecture>.deb, the same bytes for
# the same commit, whatever the folder. The libraries it needs are found by
# dpkg-shlibdeps. -ffile-prefix-map keeps the build folder's name out of the
# debugging data that the build ID is taken over before stripping.
# PACKAGE_ARCH=arm64 cross-builds the arm64 package instead: the flags
# dpkg-buildflags gives for arm64, its dependencies found among the arm64
# multiarch libraries, kippfeld_<version>_arm64.deb.
PACKAGE_BUILD ?= build-package
PACKAGE_ARCH ?=
PACKAGE_EPOCH = $(or $(SOURCE_DATE_EPOCH),$(shell git log -1 --format=%ct 2>/dev/null || stat -c %Y CHANGELOG.md))
PACKAGE_TOOLCHAIN = $(if $(filter arm64,$(PACKAGE_ARCH)),-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/aarch64-linux-gnu.cmake)
package:
	@scripts/bootstrap package $(PACKAGE_ARCH)
	@set -e; export DEB_BUILD_MAINT_OPTIONS=hardening=+all SOURCE_DATE_EPOCH=$(PACKAGE_EPOCH); \
	$(if $(PACKAGE_ARCH),export DEB_HOST_ARCH=$(PACKAGE_ARCH);) \
	flags() { dpkg-buildflags --get $$1; }; \
	set -x; \
	cmake -S . -B $(PACKAGE_BUILD) $(PACKAGE_TOOLCHAIN) -DCMAKE_BUILD_TYPE=None -DKIPPFELD_TESTS=OFF \
	  -DCMAKE_CXX_FLAGS="$$(flags CPPFLAGS) $$(flags CXXFLAGS) -ffile-prefix-map=$(abspath $(PACKAGE_BUILD))=build" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(flags LDFLAGS)" $(CMAKE_FLAGS) >/dev/null; \
	cmake --build $(PACKAGE_BUILD) -j $(JOBS); \
	cd $(PACKAGE_BUILD) && cpack -G DEB

# The package as a distribution checks it: lintian reports no error and no
# warning, the desktop entry and the AppStream metainfo it carries are valid,
# and a second build in another folder gives the same bytes.
package-check: package
	@scripts/bootstrap package-check
	scripts/package_check $(PACKAGE_BUILD) $(PACKAGE_BUILD)-again

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: bootstrap
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DKIPPFELD_SANITIZE=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build build-sanitize -j $(JOBS)
	ctest --test-dir build-sanitize --output-on-failure -j $(JOBS)

# Windows: one static kippfeld.exe, cross-built with mingw-w64.
windows:
	@scripts/bootstrap windows
	$(WINDOWS_CONFIGURE)
	cmake --build $(WINDOWS_BUILD) --target kippfeld -j $(JOBS)

# The unit and game tests and the native console's tests, cross-built and
# run under wine; then a short game of kippfeld.exe under wine in a pty,
# driven and read by the native build's end-to-end harness.
test-windows:
	@scripts/bootstrap windows
	$(WINDOWS_CONFIGURE)
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	ctest --test-dir $(WINDOWS_BUILD) --output-on-failure -j $(JOBS)
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) --target wine_e2e_test -j $(JOBS)
	KIPPFELD_WINE_EXE=$(abspath $(WINDOWS_BUILD))/src/kippfeld.exe \
		ctest --test-dir $(BUILD) -R Wine --no-tests=error --output-on-failure

# arm64: the unit, game and terminal backend tests, cross-built with Debian's
# g++-aarch64-linux-gnu against the arm64 multiarch libraries and run under
# qemu-aarch64, where long double is IEEE quad rather than the x86 extended
# type. The end-to-end tests stay native: they start the program in a pty.
ARM64_BUILD ?= build-arm64
test-arm64:
	@scripts/bootstrap arm64
	cmake -S . -B $(ARM64_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/aarch64-linux-gnu.cmake \
		-DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	cmake --build $(ARM64_BUILD) -j $(JOBS)
	ctest --test-dir $(ARM64_BUILD) --output-on-failure -j $(JOBS)

# Each libFuzzer target for FUZZ_SECONDS, starting from a fresh copy of its
# seed corpus in $(FUZZ_BUILD)/corpus, so that what a run finds stays out of
# the tree. A failing input is kept in $(FUZZ_BUILD)/artifacts; rerun it with
# $(FUZZ_BUILD)/fuzz/<target> <file>.
fuzz:
	@scripts/bootstrap fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIPPFELD_FUZZ=ON -DKIPPFELD_TESTS=OFF $(CMAKE_FLAGS) >/dev/null
	cmake --build $(FUZZ_BUILD) --target $(FUZZ_TARGETS) -j $(JOBS)
	@set -e; mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/artifacts; \
	for target in $(FUZZ_TARGETS); do \
	  rm -rf $(FUZZ_BUILD)/corpus/$$target; \
	  cp -R fuzz/corpus/$$target $(FUZZ_BUILD)/corpus/$$target; \
	  echo "fuzz: $$target for $(FUZZ_SECONDS) s (log: $(FUZZ_BUILD)/$$target.log)"; \
	  $(FUZZ_BUILD)/fuzz/$$target -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$target- $(FUZZ_BUILD)/corpus/$$target \
	    >$(FUZZ_BUILD)/$$target.log 2>&1 || { tail -n 60 $(FUZZ_BUILD)/$$target.log; exit 1; }; \
	  grep -E '^Done|number_of_executed_units|new_units_added' $(FUZZ_BUILD)/$$target.log; \
	done

# The figures of BENCHMARKS.md, in Release: the Google Benchmark programs,
# then the real binary's cost in a pty and its time and memory reading long
# histories. BENCH_BEFORE=path/to/kippfeld measures an older build in the
# same run and lists the two side by side (in the pty).
BENCH_BEFORE ?=
bench:
	@scripts/bootstrap bench
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DKIPPFELD_BENCH=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BENCH_BUILD) --target kippfeld_bench kippfeld -j $(JOBS)
	./$(BENCH_BUILD)/bench/kippfeld_bench
	bench/terminal_cost $(BENCH_BUILD)/src/kippfeld $(if $(BENCH_BEFORE),--before $(BENCH_BEFORE))
	bench/history_read $(BENCH_BUILD)/src/kippfeld

# valgrind memcheck over whole scripted games (the game flow tests) and the
# input floods: any error or leak fails.
MEMCHECK_TESTS = flow_test stress_test
memcheck:
	@scripts/bootstrap bench
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) --target $(MEMCHECK_TESTS) -j $(JOBS)
	@set -e; for test in $(MEMCHECK_TESTS); do \
	  valgrind --quiet --leak-check=full --errors-for-leak-kinds=definite,indirect,possible \
	    --error-exitcode=1 ./$(BUILD)/tests/$$test --gtest_brief=1; \
	  echo "memcheck: $$test: no errors, no leaks"; \
	done

# Every C++ file laid out as .clang-format says; `make format` lays them out.
FORMAT_FILES = $(sort $(shell find src tests fuzz bench cmake -name '*.cpp' -o -name '*.h'))
format-check:
	@scripts/bootstrap format
	@clang-format --dry-run -Werror $(FORMAT_FILES)
	@echo "format-check: $(words $(FORMAT_FILES)) files as .clang-format lays them out"

format:
	@scripts/bootstrap format
	clang-format -i $(FORMAT_FILES)

# --- The program's words in other languages (po/) ---
# po/kippfeld.pot, the template of every text marked for translation in
# src/ (see src/words/words.h), made by xgettext; then each po/CODE.po that
# po/LINGUAS lists brought up to date with it by msgmerge, for its
# translator. Locations name files only, so that the template changes when
# the texts do, not whenever a line moves.
POT_SOURCES = $(sort $(shell find src -name '*.cpp' -o -name '*.h'))
POT_LANGUAGES = $(shell grep -v '^\#' po/LINGUAS)
XGETTEXT = xgettext --language=C++ --from-code=UTF-8 --keyword=_ --keyword=N_ \
	--keyword=NGettext:1,2 --keyword=PGettext:1c,2 --add-comments=TRANSLATORS: \
	--add-location=file --package-name=kippfeld \
	--msgid-bugs-address=maintainers@users.noreply.c-seed-aef180e4.example \
	--copyright-holder='the kippfeld maintainers'
pot:
	@scripts/bootstrap
	@$(XGETTEXT) -o po/kippfeld.pot $(POT_SOURCES)
	@echo "pot: po/kippfeld.pot, $$(grep -c "^msgid " po/kippfeld.pot) texts"
	@set -e; for code in $(POT_LANGUAGES); do \
	  msgmerge --quiet --update --backup=none --no-fuzzy-matching po/$$code.po po/kippfeld.pot; \
	  msgattrib --no-obsolete -o po/$$code.po po/$$code.po; \
	done

# What CI asks of the catalogues: the template holds exactly the texts the
# sources mark (its creation date aside), and msgfmt finds each language
# complete: every message translated, none fuzzy, every format kept.
po-check:
	@scripts/bootstrap
	@set -e; fresh=$$(mktemp); trap 'rm -f $$fresh' EXIT; \
	$(XGETTEXT) -o $$fresh $(POT_SOURCES); \
	if ! diff -u -I '^"POT-Creation-Date:' po/kippfeld.pot $$fresh; then \
	  echo "po-check: po/kippfeld.pot is not current: run make pot" >&2; exit 1; \
	fi
	@set -e; for code in $(POT_LANGUAGES); do \
	  if ! msgcmp po/$$code.po po/kippfeld.pot; then \
	    echo "po-check: po/$$code.po lacks messages of the template: run make pot" >&2; exit 1; \
	  fi; \
	  stats=$$(LC_ALL=C msgfmt --check --statistics -o /dev/null po/$$code.po 2>&1); \
	  echo "po-check: $$code: $$stats"; \
	  case "$$stats" in *fuzzy*|*untranslated*) \
	    echo "po-check: po/$$code.po is not complete" >&2; exit 1;; esac; \
	done
# --- end of the program's words ---

# --- The browser page ---
# build-web/kippfeld.html: the game compiled to WebAssembly with Debian's
# emscripten, one self-contained page that plays from disk or any server.
# Beside it what a web server needs to make it an installable app that
# plays offline (manifest, service worker, icons drawn with rsvg-convert),
# all listed in build-web/web-files.txt.
# emscripten's tools find Debian's JavaScript modules through NODE_PATH.
WEB_BUILD ?= build-web
WEB_PORT ?= 8017
WEB_ENV = NODE_PATH=/usr/share/nodejs
WEB_CONFIGURE = $(WEB_ENV) cmake -S . -B $(WEB_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/emscripten.cmake \
	-DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS) >/dev/null

web:
	@scripts/bootstrap web
	$(WEB_CONFIGURE)
	$(WEB_ENV) cmake --build $(WEB_BUILD) --target kippfeld -j $(JOBS)
	@echo "web: $(WEB_BUILD)/kippfeld.html, $$(wc -c <$(WEB_BUILD)/kippfeld.html) bytes;" \
		"for a web server: the files of $(WEB_BUILD)/web-files.txt"

# Serves the whole of build-web/ on this machine only (installable and
# offline from there); Ctrl+C stops the server.
web-play: web
	@echo "web-play: open http://127.0.0.1:$(WEB_PORT)/kippfeld.html"
	cd $(WEB_BUILD) && python3 -m http.server $(WEB_PORT) --bind 127.0.0.1

# The unit and game tests built with emscripten and run under Node.js (the
# history's storage over stand-ins among them), then the page end to end in
# headless Chromium (tests/web): on phones and tablets, with a keyboard
# alone, served and offline, in two tabs at once, and once more linked with
# assertions (build-web/tests/kippfeld_checked.html) through every wait.
test-web: web
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)
	ctest --test-dir $(WEB_BUILD) --output-on-failure -j $(JOBS)
	KIPPFELD_PAGE=$(abspath $(WEB_BUILD))/kippfeld.html node --test tests/web/

# The page's budget (size, start, key latency, a burst, an idle page, text
# and targets on phones, the start offline) and Lighthouse's scores: the
# figures of BENCHMARKS.md.
bench-web: web
	node bench/web_budget.js $(WEB_BUILD)/kippfeld.html
# --- end of the browser page ---

# --- Releases ---
# Every download of this commit in dist/: the amd64 and arm64 Debian
# packages, the Windows zip and installer, the web app as a zip, the source
# archive, RELEASE-NOTES.md and SHA256SUMS, built in build-release/ and the
# same bytes each time (scripts/release says how).
RELEASE_BUILD ?= build-release
DIST ?= dist
release:
	@scripts/bootstrap release
	scripts/release $(DIST) $(RELEASE_BUILD)

# Each download of dist/ tried where it runs, then a second release in
# build-release-again/ compared byte for byte (scripts/release_check).
release-check:
	@scripts/bootstrap release-check
	scripts/release_check $(DIST) $(RELEASE_BUILD)-again
# --- end of releases ---

bootstrap:
	@scripts/bootstrap

clean:
	rm -rf $(BUILD) build-sanitize $(FUZZ_BUILD) $(BENCH_BUILD) $(WINDOWS_BUILD)
	rm -rf $(ARM64_BUILD)
	rm -rf $(PACKAGE_BUILD) $(PACKAGE_BUILD)-again
	rm -rf $(WEB_BUILD)
	rm -rf $(RELEASE_BUILD) $(RELEASE_BUILD)-again $(DIST)
