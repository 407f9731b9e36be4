// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace telvar {

// 16-bit mono PCM sound, read from and written as a RIFF/WAVE file.
class WavAudio {
public:
    static constexpr int kHeaderSize = 44;

    WavAudio() = default;
    WavAudio(int sampleRate, QByteArray samples);

    // Reads a WAVE file of 16-bit PCM. A data size that runs past the end is taken as "up to the end", as
    // a program writing to a pipe cannot go back and fill it in; more than one channel is mixed down to
    // one. Returns nothing, and says why in `error`, for anything else.
    static std::optional<WavAudio> parse(QByteArrayView bytes, QString* error);

    int sampleRate() const { return m_sampleRate; }
    const QByteArray& samples() const { return m_samples; } // little-endian 16-bit
    qint64 sampleCount() const { return m_samples.size() / 2; }
    qint64 durationMs() const { return m_sampleRate ? sampleCount() * 1000 / m_sampleRate : 0; }

    // The whole file: a 44-byte header with the true sizes, then the samples.
    QByteArray toBytes() const;
    // Writes the file to an output target (see writeOutputTarget): a file appears whole or not at all.
    // Returns an error text, empty on success.
    QString save(const QString& target) const;

private:
    int m_sampleRate = 0;
    QByteArray m_samples;
};

} // namespace telvar
