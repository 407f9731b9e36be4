// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <deque>
#include <functional>
#include <mutex>

struct _UMockdevTestbed;
struct _UMockdevIoctlBase;
struct _UMockdevIoctlClient;

// A USB HID device simulated inside the test process with umockdev: sysfs entries that hidapi and udev
// read, and a device node backed by a pseudo terminal, whose writes and ioctls are answered here. The
// process must run with the umockdev preload library.
class FakeHidrawDevice {
public:
    struct Identity {
        int number = 0; // the node is /dev/hidraw<number>
        int vendorId = 0x04D8;
        int productId = 0xFEF3;
        QString serial = QStringLiteral("TX-0001");
    };
    // Called on umockdev's thread with each output report written; returns the input report to answer
    // with (8 data bytes), or nothing.
    using Responder = std::function<QByteArray(const QByteArray& written)>;

    // Makes the process ready for fake devices, first thing in main: starts it again with the umockdev
    // preload library when that is missing (returns only once it is there), and ignores the hang-up of a
    // fake node that became the controlling terminal.
    static void prepareProcess(char** argv);

    FakeHidrawDevice(_UMockdevTestbed* testbed, Identity identity);
    FakeHidrawDevice(const FakeHidrawDevice&) = delete;
    FakeHidrawDevice& operator=(const FakeHidrawDevice&) = delete;
    ~FakeHidrawDevice();

    QString node() const;
    // The file behind the node while it is plugged (a pseudo terminal), for another process to open.
    QString terminalPath() const;
    // Creates the device; udev listeners receive "add" events.
    void plug();
    // Removes the device the way the kernel does: I/O fails, pending reads hang up, "remove" events.
    void unplug();
    // Only the first half of that: I/O fails and reads hang up, but the device stays listed.
    void hangUp();

    // Queues an input report (the data bytes, without report id) for the device to send.
    void sendReport(const QByteArray& data);
    void setResponder(Responder responder);
    // The output reports written to the node, exactly as written.
    QList<QByteArray> written() const;
    // Opens of the node so far (hidapi asks for the report descriptor size once per open).
    int openAttempts() const { return m_openAttempts; }
    // The next `count` opens fail with `error` (EACCES: as a node without the udev rule's permissions).
    void failOpens(int count, int error = EIO) {
        m_openError = error;
        m_failOpens = count;
    }
    // From now on a write is taken but not answered, as if stuck in the kernel, until releaseWrites()
    // (or unplug) answers it.
    void holdWrites();
    void releaseWrites();
    int heldWrites() const;

private:
    static int onIoctl(_UMockdevIoctlBase* handler, _UMockdevIoctlClient* client, void* self);
    static int onWrite(_UMockdevIoctlBase* handler, _UMockdevIoctlClient* client, void* self);
    static int onRead(_UMockdevIoctlBase* handler, _UMockdevIoctlClient* client, void* self);
    QString sysfsRecord(int major, int minor) const;
    QStringList sysfsPaths() const;
    void feed();

    _UMockdevTestbed* m_testbed;
    Identity m_identity;
    _UMockdevIoctlBase* m_handler = nullptr;
    int m_master = -1;
    int m_slave = -1;
    bool m_plugged = false;
    std::atomic<bool> m_gone{false};
    std::atomic<int> m_openAttempts{0};
    std::atomic<int> m_failOpens{0};
    std::atomic<int> m_openError{0};
    mutable std::mutex m_mutex;
    QList<QByteArray> m_written;
    std::deque<QByteArray> m_toSend;
    Responder m_responder;
    bool m_holdWrites = false;
    QList<_UMockdevIoctlClient*> m_heldWrites;
    QTimer m_feeder;
};
