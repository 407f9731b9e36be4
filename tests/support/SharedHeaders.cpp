// SPDX-License-Identifier: GPL-3.0-or-later
// Compiled only to make the precompiled header that a folder's tests share.
