// SPDX-License-Identifier: GPL-3.0-or-later
// The session log as Read Log finds it: whatever the file holds (it may come from an older program, a
// crash in mid-write or another editor), the viewer shows every line of it, newest first, each line
// exactly the bytes of the file, and a second Read Log puts the same text again on top.
#include "FuzzSupport.h"

#include "session/LogViewerModel.h"
#include "vocab/Cp1252.h"
#include "vocab/LineFile.h"

#include <cstdint>

using namespace telvar;
using telvar::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView content(data, qsizetype(size));
    const QString path = fuzz::scratchPath("log.qnx");
    fuzz::putFile(path, content);

    const SessionLogFile file(path);
    const auto lines = file.readLines();
    require(lines.has_value());
    const QList<QByteArray> rawLines = LineFile::split(content);
    require(lines->size() == rawLines.size());
    for (qsizetype i = 0; i < rawLines.size(); ++i)
        require(cp1252::encode(lines->at(i)) == rawLines[i]);

    LogViewerModel viewer(file);
    viewer.readLog();
    const QString shown = viewer.text();
    QString newestFirst;
    for (auto line = lines->crbegin(); line != lines->crend(); ++line)
        newestFirst += *line + u'\n';
    require(shown == newestFirst);
    viewer.readLog();
    require(viewer.text() == shown + shown);
    return 0;
}
