// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DeferredIcon.h"

#include <QIconEngine>
#include <QPainter>

#include <optional>

namespace telvar {
namespace {

class DeferredIconEngine final : public QIconEngine {
public:
    explicit DeferredIconEngine(std::function<QIcon()> read) : m_read(std::move(read)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
        return icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    // Asked while a button lays itself out; the answer must not read the image.
    bool isNull() override { return m_icon ? m_icon->isNull() : false; }
    QIconEngine* clone() const override { return new DeferredIconEngine(*this); }

private:
    const QIcon& icon() {
        if (!m_icon)
            m_icon = m_read();
        return *m_icon;
    }

    std::function<QIcon()> m_read;
    std::optional<QIcon> m_icon;
};

} // namespace

QIcon deferredIcon(std::function<QIcon()> read) {
    return QIcon(new DeferredIconEngine(std::move(read)));
}

} // namespace telvar
