# The README's two commands. Both prepare the machine first (scripts/bootstrap is idempotent).
SUDO := $(if $(filter 0,$(shell id -u)),,sudo)
PRESETS := win32 win64 native

.PHONY: test run bootstrap build check-pe32

bootstrap:
	$(SUDO) scripts/bootstrap

build: bootstrap
	@for preset in $(PRESETS); do \
	  cmake --preset $$preset >/dev/null && cmake --build --preset $$preset || exit 1; \
	done

# The product is 32-bit: every program of the win32 build must be PE32 (it cannot run here).
check-pe32: build
	@for exe in $$(find build/win32 -name '*.exe' -not -path '*/CMakeFiles/*'); do \
	  file "$$exe" | grep -q 'PE32 executable' || { echo "not a PE32 program: $$exe"; exit 1; }; \
	done; echo "win32 build: all programs are PE32"

# The fuzz targets run about a minute each (scripts/run-fuzzers builds them with clang).
test: check-pe32
	ctest --preset native
	ctest --preset win64
	scripts/run-fuzzers 60

run: build
	@echo "The converter is not yet part of the build; 'make test' runs what exists."
