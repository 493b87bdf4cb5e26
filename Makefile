# Front door over CMake. Each target first installs what it needs from
# Debian's packages (scripts/install-deps.sh), so a fresh machine needs nothing else.
#   make        build setup.exe and the tests
#   make dist [PRODUCT=<folder> [SIGN_PRODUCT=1 PFX=<file> ...]]
#               lay out build/dist: setup.exe beside the sample product files, or
#               beside the product's own files from <folder>, checked, its programs
#               signed with SIGN_PRODUCT=1 (scripts/make-dist.sh)
#   make run    run the setup from build/dist under Wine
#   make test   build and run the whole test suite on Wine
#   make bench  benchmark setup.exe against its floors and NSIS (QUICK=1: small payloads only)
#   make uninstall
#               remove what make run installed, with the product's uninstaller, and
#               show that nothing is left (scripts/run-setup.sh)
#   make sign PFX=<file> [PFX_PASSWORD=<password>] [TIMESTAMP_URL=<url>]
#               sign build/dist's Unsetup.exe (the project's), its digest table anew,
#               then setup.exe (scripts/sign-dist.sh)
#   make release [PRODUCT=<folder>] [PFX=<file> ... [SIGN_PRODUCT=1]] [RELEASE_URL=<url>]
#               make dist, sign it as make sign does when PFX is given, and pack
#               it into build/release: a zip, a CD image, SHA256SUMS and, with
#               RELEASE_URL, a winget manifest (scripts/make-release.sh)
BUILD ?= build
CMAKE_FLAGS ?=
QUICK ?=
PRODUCT ?=

.PHONY: all deps configure dist run uninstall test bench sign release clean format

all: configure
	cmake --build $(BUILD)

deps:
	@sh scripts/install-deps.sh

configure: deps
	@if [ ! -f $(BUILD)/build.ninja ]; then \
	    cmake -S . -B $(BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake $(CMAKE_FLAGS); \
	fi

dist: all
ifeq ($(PRODUCT),)
	cmake --build $(BUILD) --target dist drive
else
	@sh scripts/make-dist.sh "$(PRODUCT)" $(BUILD)/setup.exe $(BUILD)/dist
endif

run: dist
	sh scripts/run-setup.sh $(BUILD)

uninstall: all
	sh scripts/run-setup.sh $(BUILD) uninstall

test: all
	cd $(BUILD) && ctest --output-on-failure

bench: configure
	@sh scripts/install-deps.sh bench
	cmake --build $(BUILD) --target bench-programs
	sh bench/run-bench.sh $(BUILD) $(QUICK)

# Make passes its command line's variables to the script in the environment, so
# the password is on no command line that make shows or starts.
sign: deps
	@sh scripts/sign-dist.sh $(BUILD)/dist "$(PFX)" $(BUILD)/Unsetup.exe

release: dist
	@[ -z "$(PFX)" ] || sh scripts/sign-dist.sh $(BUILD)/dist "$(PFX)" $(BUILD)/Unsetup.exe
	@sh scripts/make-release.sh $(BUILD)/dist $(BUILD)/release

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
