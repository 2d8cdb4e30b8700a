# Thin wrapper over the CMake presets and the scripts in scripts/.
.PHONY: deps e2e-deps build test asan tsan fuzz fuzz-long lint windows check bench package clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset dev
	cmake --build --preset dev

# Unit and end-to-end tests of the debug build.
test: build
	ctest --preset dev

# The same tests under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer.
asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# The thread test under ThreadSanitizer.
tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan
	ctest --preset tsan

# Each fuzz target for 30 seconds from its corpus; fuzz-long for 10 minutes each.
fuzz: deps
	bash scripts/fuzz.sh 30
fuzz-long: deps
	bash scripts/fuzz.sh 600

# clang-tidy and cppcheck.
lint: build
	bash scripts/lint.sh

# The three deliverables cross-built with MinGW-w64 and tested under Wine.
windows:
	bash scripts/windows-test.sh

# The Debian package (release build), the Ansible collection and the Windows
# installer (cross build) into build/packages/, with SHA256SUMS.
package: deps
	bash scripts/package.sh

# Everything CI runs (the browser test runs inside test and asan; the package
# tests inside test, for the Debian package and the collection, and windows,
# for the installer).
check: deps e2e-deps test asan tsan fuzz lint windows

# What the browser test needs: chromium, lighttpd, openssl, playwright-core and axe-core.
e2e-deps:
	@bash tests/e2e/install.sh

bench: deps
	cmake --preset release
	cmake --build --preset release
	@for b in build/release/bench/*; do [ -x "$$b" ] && [ -f "$$b" ] && "$$b"; done

clean:
	rm -rf build

# ---------------------------------------------------------------------------
# The administration page: in a file, in a web server, in a browser.
#   make demo    builds, copies the sample configuration to build/demo and
#                renders the administration page to build/demo/admin.html
#   make serve   serves that page with lighttpd on a free 127.0.0.1 port,
#                behind a password printed at the first start (make
#                serve-stop stops it; see the README's administration page)
#   make e2e     installs chromium, lighttpd, openssl, playwright-core and
#                axe-core when missing and runs the browser test;
#                screenshots in build/e2e/
# ---------------------------------------------------------------------------
.PHONY: admin demo serve serve-stop e2e

ADMIN_CGI := build/dev/tools/admin/admin.cgi

admin: deps
	cmake --preset dev
	cmake --build --preset dev --target confkit_admin

demo: admin
	@bash tools/admin/demo.sh build/demo $(ADMIN_CGI)

serve: demo
	@bash tools/admin/serve.sh start build/admin-server $(ADMIN_CGI) build/demo/proxy.conf build/demo/proxy.acl

serve-stop:
	@bash tools/admin/serve.sh stop build/admin-server

e2e: admin
	@bash tests/e2e/install.sh
	bash tests/e2e/run.sh $(ADMIN_CGI)
