# Two commands do everything on a fresh Debian machine:
#   make run    installs what is missing, builds the game and starts it on assets/
#   make test   installs what is missing, builds with ASan/UBSan and runs every test
JOBS ?= $(shell nproc)

.PHONY: run test build bench fuzz tsan content deps clean

deps:
	@./tools/install-deps.sh

build: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS)

run: build
	./build/release/orvelle $(ARGS)

test: deps
	@cmake --preset test >/dev/null
	@cmake --build --preset test -j $(JOBS)
	@ctest --preset test -j $(JOBS)

bench: deps
	@cmake --preset bench >/dev/null
	@cmake --build --preset bench -j $(JOBS)
	@./tools/run-benchmarks.sh build/bench

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS)

# The thread-safety stress tests (label "tsan") under ThreadSanitizer.
tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j $(JOBS) --target sound_stress_SoundStress_test services_stress_HttpStress_test script_stress_ScriptObjectStress_test
	@ctest --preset tsan

# Regenerates every committed picture, sound and particle file from art/
# (pictures need rsvg-convert, which tools/render-art.sh installs when
# missing).
content: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release -j $(JOBS) --target orvelle-synth orvelle-psi
	@./tools/render-art.sh
	@./tools/synth-audio.sh build/release/orvelle-synth
	@./tools/make-particles.sh build/release/orvelle-psi
	@./tools/make-animations.sh

clean:
	rm -rf build
