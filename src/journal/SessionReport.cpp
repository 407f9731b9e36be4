// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/SessionReport.h"

#include "journal/SessionReportPage.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace telvar::sessionreport {

namespace {

constexpr int kDpi = 96;
// Twice the page's pixels keeps words sharp on a screen that zooms in; a tall stack of pages is drawn
// finer only as far as an image of the painter's largest height allows.
constexpr double kPngScale = 2.0;
constexpr double kLargestImageHeight = 32000;

void paintPages(QPainter& painter, const std::vector<JournalSession>& sessions) {
    const double pageHeight = SessionReportPage::size().height();
    for (std::size_t i = 0; i < sessions.size(); ++i) {
        painter.save();
        painter.translate(0, pageHeight * double(i));
        SessionReportPage::paint(painter, sessions[i]);
        painter.restore();
    }
}

QSize stackSize(std::size_t pages) {
    const QSizeF page = SessionReportPage::size();
    return QSizeF(page.width(), page.height() * double(std::max<std::size_t>(pages, 1))).toSize();
}

QByteArray pdf(const std::vector<JournalSession>& sessions) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("telvar"));
        writer.setTitle(QStringLiteral("Sessions"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(kDpi);
        QPainter painter(&writer);
        for (std::size_t i = 0; i < sessions.size(); ++i) {
            if (i > 0)
                writer.newPage();
            SessionReportPage::paint(painter, sessions[i]);
        }
    }
    return buffer.data();
}

QByteArray svg(const std::vector<JournalSession>& sessions) {
    QBuffer buffer;
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setTitle(QStringLiteral("Sessions"));
    generator.setResolution(kDpi);
    const QSize size = stackSize(sessions.size());
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    {
        QPainter painter(&generator);
        paintPages(painter, sessions);
    }
    return buffer.data();
}

QByteArray png(const std::vector<JournalSession>& sessions) {
    const QSize size = stackSize(sessions.size());
    const double scale = std::min(kPngScale, kLargestImageHeight / size.height());
    QImage image((QSizeF(size) * scale).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintPages(painter, sessions);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

} // namespace

std::optional<Format> formatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        return Format::Pdf;
    if (suffix == QLatin1String("svg"))
        return Format::Svg;
    if (suffix == QLatin1String("png"))
        return Format::Png;
    return std::nullopt;
}

QByteArray render(const std::vector<JournalSession>& sessions, Format format) {
    switch (format) {
    case Format::Pdf:
        return pdf(sessions);
    case Format::Svg:
        return svg(sessions);
    case Format::Png:
        return png(sessions);
    }
    return {};
}

} // namespace telvar::sessionreport
