// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/WavAudio.h"

#include "files/OutputTarget.h"

#include <QtEndian>

#include <algorithm>

namespace telvar {

namespace {

constexpr quint16 kPcmFormat = 1;
constexpr quint16 kBitsPerSample = 16;

quint32 readU32(QByteArrayView bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.data() + at);
}

quint16 readU16(QByteArrayView bytes, qsizetype at) {
    return qFromLittleEndian<quint16>(bytes.data() + at);
}

void appendU32(QByteArray& bytes, quint32 value) {
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

void appendU16(QByteArray& bytes, quint16 value) {
    char raw[2];
    qToLittleEndian(value, raw);
    bytes.append(raw, 2);
}

QByteArray mixDown(QByteArrayView frames, int channels) {
    QByteArray mono;
    const qsizetype frameSize = qsizetype(channels) * 2;
    mono.reserve(frames.size() / channels);
    for (qsizetype at = 0; at + frameSize <= frames.size(); at += frameSize) {
        int sum = 0;
        for (int c = 0; c < channels; ++c)
            sum += qFromLittleEndian<qint16>(frames.data() + at + c * 2);
        appendU16(mono, static_cast<quint16>(static_cast<qint16>(sum / channels)));
    }
    return mono;
}

} // namespace

WavAudio::WavAudio(int sampleRate, QByteArray samples)
    : m_sampleRate(sampleRate), m_samples(std::move(samples)) {}

std::optional<WavAudio> WavAudio::parse(QByteArrayView bytes, QString* error) {
    const auto fail = [error](const QString& why) -> std::optional<WavAudio> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (bytes.size() < 12 || bytes.first(4) != "RIFF" || bytes.sliced(8, 4) != "WAVE")
        return fail(QStringLiteral("not a WAVE file"));
    int channels = 0;
    int sampleRate = 0;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArrayView id = bytes.sliced(at, 4);
        const qsizetype size = readU32(bytes, at + 4);
        const qsizetype body = at + 8;
        const qsizetype available = bytes.size() - body;
        if (id == "fmt ") {
            if (size < 16 || available < 16)
                return fail(QStringLiteral("the format chunk is cut short"));
            if (readU16(bytes, body) != kPcmFormat || readU16(bytes, body + 14) != kBitsPerSample)
                return fail(QStringLiteral("not 16-bit PCM"));
            channels = readU16(bytes, body + 2);
            sampleRate = static_cast<int>(readU32(bytes, body + 4));
            if (channels < 1 || sampleRate < 1)
                return fail(QStringLiteral("no channels or no sample rate"));
        } else if (id == "data") {
            if (channels == 0)
                return fail(QStringLiteral("the sound comes before its format"));
            const qsizetype frameSize = qsizetype(channels) * 2;
            const qsizetype length = std::min(size, available) / frameSize * frameSize;
            const QByteArrayView frames = bytes.sliced(body, length);
            return WavAudio(sampleRate, channels == 1 ? frames.toByteArray() : mixDown(frames, channels));
        }
        // Chunks are padded to an even length.
        at = body + size + (size & 1);
    }
    return fail(QStringLiteral("no sound in the file"));
}

QByteArray WavAudio::toBytes() const {
    QByteArray bytes;
    bytes.reserve(kHeaderSize + m_samples.size());
    const auto dataSize = static_cast<quint32>(m_samples.size());
    bytes.append("RIFF");
    appendU32(bytes, 36 + dataSize);
    bytes.append("WAVEfmt ");
    appendU32(bytes, 16);
    appendU16(bytes, kPcmFormat);
    appendU16(bytes, 1);
    appendU32(bytes, static_cast<quint32>(m_sampleRate));
    appendU32(bytes, static_cast<quint32>(m_sampleRate) * 2);
    appendU16(bytes, 2);
    appendU16(bytes, kBitsPerSample);
    bytes.append("data");
    appendU32(bytes, dataSize);
    bytes.append(m_samples);
    return bytes;
}

QString WavAudio::save(const QString& target) const {
    QString error;
    writeOutputTarget(target, toBytes(), &error);
    return error;
}

} // namespace telvar
