#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The strip the package's install runs (scripts/package.sh makes it CMAKE_STRIP): symbols and debug
# information, and the compiler's .comment and .note sections, which only say how the program was built.
exec strip --remove-section=.comment --remove-section=.note "$@"
