// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/VirtualTelvar.h"

#include "editor/SendCodes.h"

#include <QSignalSpy>
#include <QTest>

using namespace telvar;
using telvar::test::VirtualTelvar;

namespace {

using Report = VirtualDevice::Report;

Report speechReport(int code) {
    return {0, 'V', static_cast<quint8>(code), 0, 0, 0, 0, 0, 0};
}

QList<Report> speechReports(std::initializer_list<int> codes) {
    QList<Report> reports;
    for (const int code : codes)
        reports << speechReport(code);
    return reports;
}

QByteArray spokenCodes(const VirtualDevice& device) {
    QByteArray codes;
    for (const Utterance& utterance : device.speechLog()) {
        if (utterance.kind == Utterance::Kind::Code || utterance.kind == Utterance::Kind::Value)
            codes += utterance.codes;
    }
    return codes;
}

} // namespace

// The editor's speech sequence against the virtual device: what each report holds, and how a busy link
// and a cancel end it (a missing, lost or refusing device: WordEditorSpeechTest).
class SendCodesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eachCodeIsAReportOfItsOwn() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        // An address command leaves bytes 2 and 3 in the link's buffer; no speech report may carry them.
        {
            auto sequence = telvar.link.begin();
            QVERIFY(QCoro::waitFor(sequence->requestAt('A', 0x1234)).ok());
        }
        SendCodes send(telvar.link);

        const SequenceOutcome outcome = QCoro::waitFor(send.run(QByteArray("  \x1f\x80 \xbf  ")));

        QVERIFY(outcome.completed());
        // Blanks at the ends go; the one inside is a code like any other.
        QCOMPARE(telvar.device().receivedReports().mid(1), speechReports({31, 128, 32, 191}));
        QCOMPARE(spokenCodes(telvar.device()), QByteArray("\x1f\x80 \xbf"));
        QVERIFY(!telvar.link.sequenceRunning());
    }

    void aBusyDeviceIsNotInterleaved() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        auto other = telvar.link.begin();
        SendCodes send(telvar.link);
        QSignalSpy status(&send, &DeviceSequence::statusChanged);

        const SequenceOutcome outcome = QCoro::waitFor(send.run(QByteArray("\x1f\x80")));

        QCOMPARE(outcome.status, SequenceOutcome::Status::Busy);
        QCOMPARE(status.last().first().toString(), DeviceLink::busyText());
        QVERIFY(telvar.sent.isEmpty());
        QVERIFY(telvar.link.sequenceRunning()); // still the other sequence's
    }

    void cancelStopsBetweenCodes() {
        VirtualTelvar telvar;
        QVERIFY(telvar.attach());
        connect(&telvar.link, &DeviceLink::reportSent, &telvar.link, [&telvar] { telvar.link.cancel(); });
        SendCodes send(telvar.link);

        const SequenceOutcome outcome = QCoro::waitFor(send.run(QByteArray("\x1f\x80\xbf")));

        QCOMPARE(outcome.status, SequenceOutcome::Status::Failed);
        QVERIFY2(outcome.message.endsWith(describe(WaitResult::Cancelled)), qPrintable(outcome.message));
        QCOMPARE(telvar.device().receivedReports(), speechReports({31}));
    }
};

QTEST_GUILESS_MAIN(SendCodesTest)
#include "SendCodesTest.moc"
