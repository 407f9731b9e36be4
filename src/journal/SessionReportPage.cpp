// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/SessionReportPage.h"

#include "journal/SensorTrace.h"
#include "journal/SensorTracePainter.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>

namespace telvar {

namespace {

constexpr double kMargin = 48;
constexpr double kTraceHeight = 300;
constexpr int kWordColumns = 3;
constexpr int kTextLinesAtMost = 4;

const TraceColors kPaper{Qt::black, Qt::gray, QColor(0x30, 0x60, 0xc0)};

QString tr(const char* text) {
    return QCoreApplication::translate("SessionReportPage", text);
}

QString seconds(qint64 ms) {
    return QStringLiteral("%1 s").arg(double(ms) / 1000.0, 0, 'f', 2);
}

// Draws lines of label and value from `top` down, a value wrapped onto a few lines at most; returns
// where the next line would begin.
double drawFields(QPainter& painter, double top, double width,
                  const std::vector<std::pair<QString, QString>>& fields) {
    const QFontMetricsF metrics(painter.font(), painter.device());
    double labelWidth = 0;
    for (const auto& [label, value] : fields)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(label));
    labelWidth += metrics.horizontalAdvance(QStringLiteral("  "));
    const double valueWidth = width - labelWidth;
    for (const auto& [label, value] : fields) {
        const QRectF room(kMargin + labelWidth, top, valueWidth, metrics.height() * kTextLinesAtMost);
        const QRectF used = metrics.boundingRect(room, Qt::TextWordWrap, value);
        const double height = std::clamp(used.height(), metrics.height(), room.height());
        painter.drawText(QRectF(kMargin, top, labelWidth, metrics.height()), label);
        painter.save();
        painter.setClipRect(room);
        painter.drawText(room, Qt::TextWordWrap, value);
        painter.restore();
        top += height + 2;
    }
    return top;
}

// The words in columns across the page, as many as the rest of it holds; the last line then says how
// many did not fit.
void drawWords(QPainter& painter, double top, double width, double bottom,
               const std::vector<SessionWord>& words) {
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double line = metrics.height() + 2;
    if (words.empty()) {
        painter.drawText(QPointF(kMargin, top + metrics.ascent()), tr("No word was accepted."));
        return;
    }
    QFont bold = painter.font();
    bold.setBold(true);
    const QFontMetricsF boldMetrics(bold, painter.device());
    const QString gap = QStringLiteral("  ");
    const double columnWidth = width / kWordColumns;
    const double momentWidth = std::max(metrics.horizontalAdvance(QStringLiteral("000.00 s") + gap),
                                        boldMetrics.horizontalAdvance(tr("Moment") + gap));
    const double indexWidth = std::max(metrics.horizontalAdvance(QStringLiteral("0000") + gap),
                                       boldMetrics.horizontalAdvance(tr("Index") + gap));
    const int rows = std::max(1, int((bottom - top) / line) - 1);
    const std::size_t room = std::size_t(rows) * kWordColumns;
    const std::size_t shown = words.size() <= room ? words.size() : room - 1;

    for (int column = 0; column < kWordColumns && std::size_t(column * rows) < words.size(); ++column) {
        const double left = kMargin + column * columnWidth;
        painter.save();
        painter.setFont(bold);
        painter.drawText(QPointF(left, top + metrics.ascent()), tr("Moment"));
        painter.drawText(QPointF(left + momentWidth, top + metrics.ascent()), tr("Index"));
        painter.drawText(QPointF(left + momentWidth + indexWidth, top + metrics.ascent()), tr("Word"));
        painter.restore();
    }
    for (std::size_t i = 0; i < shown; ++i) {
        const double left = kMargin + double(i / rows) * columnWidth;
        const double baseline = top + line * double(1 + i % rows) + metrics.ascent();
        const SessionWord& word = words[i];
        painter.drawText(QPointF(left, baseline), seconds(word.ms));
        painter.drawText(QPointF(left + momentWidth, baseline), QString::number(word.index));
        const double wordWidth = columnWidth - momentWidth - indexWidth - 6;
        painter.drawText(QPointF(left + momentWidth + indexWidth, baseline),
                         metrics.elidedText(word.word.trimmed(), Qt::ElideRight, wordWidth));
    }
    if (shown < words.size()) {
        const double left = kMargin + double(shown / rows) * columnWidth;
        const double baseline = top + line * double(1 + shown % rows) + metrics.ascent();
        painter.drawText(QPointF(left, baseline),
                         tr("... and %1 more").arg(qulonglong(words.size() - shown)));
    }
}

} // namespace

QSizeF SessionReportPage::size() {
    return QPageSize(QPageSize::A4).sizePixels(96);
}

void SessionReportPage::paint(QPainter& painter, const JournalSession& session) {
    const QSizeF page = size();
    const double width = page.width() - 2 * kMargin;
    painter.save();
    painter.fillRect(QRectF(QPointF(0, 0), page), Qt::white);
    painter.setPen(Qt::black);
    QFont font = QGuiApplication::font();
    font.setPointSizeF(9);
    QFont title = font;
    title.setPointSizeF(14);
    title.setBold(true);

    painter.setFont(title);
    const QFontMetricsF titleMetrics(title, painter.device());
    painter.drawText(QPointF(kMargin, kMargin + titleMetrics.ascent()), tr("Session %1").arg(session.id));
    painter.setFont(font);
    double top = kMargin + titleMetrics.height() + 8;
    std::vector<std::pair<QString, QString>> fields{
        {tr("Question"), session.question},
        {tr("Answer"), session.answer.trimmed()},
        {tr("Started"), session.started},
        {tr("Window"), tr("%1 s, %2").arg(session.window).arg(session.end)},
        {tr("Device"), session.device.isEmpty() ? tr("not recorded") : session.device},
    };
    if (!session.operatorName.isEmpty())
        fields.push_back({tr("Asked by"), session.operatorName});
    top = drawFields(painter, top, width, fields) + 10;

    SensorTrace trace;
    trace.show(session);
    SensorTracePainter(trace).paint(painter, QRectF(kMargin, top, width, kTraceHeight), kPaper);
    top += kTraceHeight + 14;

    drawWords(painter, top, width, page.height() - kMargin, session.words);
    painter.restore();
}

} // namespace telvar
