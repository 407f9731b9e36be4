# SPDX-License-Identifier: GPL-3.0-or-later
# What makes a build quick: headers parsed once, a fast linker, and compiles cached between builds on one
# machine. Each is used when its tool is there and can be turned off on the command line.
include(CheckLinkerFlag)

# Precompiled headers need one compiler's rules: GCC refuses a header built with any other macro set,
# which the helpers below keep equal. Clang builds (the fuzzers) parse every header as before.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(pch_default ON)
else()
    set(pch_default OFF)
endif()
option(TELVAR_PCH "Precompile the Qt, QCoro and standard headers most sources include" ${pch_default})
option(TELVAR_MOLD "Link with mold when it is installed" ON)
option(TELVAR_CCACHE "Compile through ccache when it is installed" ON)

if(TELVAR_MOLD)
    check_linker_flag(CXX -fuse-ld=mold TELVAR_HAVE_MOLD)
    if(TELVAR_HAVE_MOLD)
        add_link_options(-fuse-ld=mold)
    endif()
endif()

find_program(TELVAR_CCACHE_PROGRAM ccache)
if(TELVAR_CCACHE AND TELVAR_CCACHE_PROGRAM AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    # Paths inside the tree are hashed relative to it, so a second clone on the same machine (CI's) finds
    # the compiles of the first; a precompiled header is cached like any other output. The tests are the
    # exception: Qt Test writes their folders into macros, and GCC refuses a precompiled header made under
    # another value of any macro, so those must not be taken from another clone.
    set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${CMAKE_SOURCE_DIR}
        CCACHE_NOHASHDIR=true
        CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
        ${TELVAR_CCACHE_PROGRAM})
    if(TELVAR_PCH)
        add_compile_options(-fpch-preprocess)
    endif()
endif()

# The headers that most of the program's sources include: Qt Core, QCoro and the standard library.
set(TELVAR_PCH_CORE
    <QByteArray> <QCoreApplication> <QDateTime> <QDir> <QFile> <QFileInfo> <QList> <QObject> <QPointer>
    <QRegularExpression> <QStandardPaths> <QString> <QStringList> <QTimer> <QCoro/QCoroTask>
    <algorithm> <array> <chrono> <functional> <memory> <optional> <vector>)
set(TELVAR_PCH_WIDGETS
    <QApplication> <QCheckBox> <QGridLayout> <QLabel> <QLineEdit> <QListWidget> <QPainter> <QPlainTextEdit>
    <QPushButton> <QVBoxLayout> <QWidget>)
set(TELVAR_PCH_TEST <QProcess> <QSignalSpy> <QTemporaryDir> <QTest>)

# target_precompile_headers(TARGET ...) when precompiled headers are on.
function(telvar_precompile target)
    if(TELVAR_PCH)
        target_precompile_headers(${target} PRIVATE ${ARGN})
    endif()
endfunction()
