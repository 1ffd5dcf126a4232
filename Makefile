# The README's two commands. Both prepare the machine first (scripts/bootstrap is idempotent).
SUDO := $(if $(filter 0,$(shell id -u)),,sudo)
PRESETS := win32 win64 native

.PHONY: test run bench package bootstrap build check-pe32 matrix

bootstrap:
	$(SUDO) scripts/bootstrap

build: bootstrap
	@for preset in $(PRESETS); do \
	  cmake --preset $$preset >/dev/null && cmake --build --preset $$preset || exit 1; \
	done

# The product is 32-bit: every program of the win32 build must be PE32.
check-pe32: build
	@for exe in $$(find build/win32 -name '*.exe' -not -path '*/CMakeFiles/*'); do \
	  file "$$exe" | grep -q 'PE32 executable' || { echo "not a PE32 program: $$exe"; exit 1; }; \
	done; echo "win32 build: all programs are PE32"

# The win32 tier runs the tests that can show a fault of 32 bits alone on the 32-bit build, under
# an emulated 32-bit Wine. The fuzz targets run about a minute each (scripts/run-fuzzers builds them
# with clang).
test: check-pe32
	ctest --preset native
	ctest --preset win64
	ctest --preset win32
	scripts/run-fuzzers 60

# Every kind of source into the four formats through the front-end and the bridge (several
# minutes); the results replace the tables of docs/conversions.md.
matrix: bootstrap
	cmake --preset win64 >/dev/null && cmake --build --preset win64 --target frontend ffmpeg_bridge
	tests/app/conversion_matrix --all --table docs/conversions.md build/win64

run: build
	scripts/run-converter

# The Windows package: a zip of the 32-bit converter, its FFmpeg front-end, the folder for FFmpeg
# and the read-me files, in build/win32.
package: bootstrap
	cmake --preset win32 >/dev/null && cmake --build --preset win32 --target converter frontend
	cd build/win32 && cpack -G ZIP

# Benchmarks (figures, never assertions): the Windows ones on the win64 build under Wine, the
# native ones in an optimised build without sanitizers (preset "bench").
bench: bootstrap
	cmake --preset win64 >/dev/null && cmake --build --preset win64 --target benchmarks
	cmake --preset bench >/dev/null && cmake --build --preset bench
	scripts/run-benchmarks
