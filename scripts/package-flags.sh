# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by build.sh and package.sh: sets package_flags to the CMake options that build the programs as
# Debian builds its packages (stack protector, fortified libc calls, format checks, full RELRO with
# immediate binding, PIE), naming no path of the machine that built them. The suite's build uses them too,
# so that the package is made from it instead of building the programs a second time. Empty where
# dpkg-buildflags is missing (not a Debian system).
package_flags=()
if command -v dpkg-buildflags >/dev/null; then
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    package_flags=(
        "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
        "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)"
        -DTELVAR_RELATIVE_PATHS=ON
        "-DCMAKE_STRIP=$PWD/packaging/strip-for-package.sh")
fi
