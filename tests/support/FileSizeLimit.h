// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <csignal>

#include <sys/resource.h>

namespace telvar::test {

// No file of this process grows beyond `bytes` while it lives, as on a disk that is full: the write that
// would go past fails with EFBIG ("File too large"), since SIGXFSZ, which would end the process, is
// ignored meanwhile. Files already larger stay readable.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        const rlimit limited{bytes, m_old.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limited);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // For a child process: the same limit, set between fork and exec (QProcess's child modifier).
    static void applyInChild(rlim_t bytes) {
        rlimit limited{};
        ::getrlimit(RLIMIT_FSIZE, &limited);
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
        std::signal(SIGXFSZ, SIG_IGN);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace telvar::test
