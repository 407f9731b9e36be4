// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/StateFile.h"

#include "files/CappedRead.h"
#include "files/ReplaceFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace telvar::StateFile {

namespace {
constexpr int kFormat = 1;
// The state is tens of kilobytes; anything far larger is not a state file.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
constexpr int kMaxSerialLength = 64;

const QStringList& ownKeys() {
    static const QStringList keys{QStringLiteral("format"),       QStringLiteral("config"),
                                  QStringLiteral("firmware"),     QStringLiteral("wordMemory"),
                                  QStringLiteral("spokenRecord"), QStringLiteral("unitWords"),
                                  QStringLiteral("unitCommands"), QStringLiteral("serial")};
    return keys;
}

// Characters the external unit holds are bytes; Latin-1 keeps every byte value through JSON.
QJsonArray byteStrings(const QStringList& list) {
    QJsonArray array;
    for (const QString& text : list)
        array.append(text);
    return array;
}

// What a value that should have been a number is, for the message that says so.
QString kindOf(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::String:
        return QStringLiteral("the text \"%1\"").arg(value.toString());
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    default:
        return QStringLiteral("null");
    }
}

bool readByteStrings(const QJsonValue& value, QStringList& out) {
    if (!value.isArray())
        return false;
    out.clear();
    for (const QJsonValue& item : value.toArray()) {
        if (!item.isString())
            return false;
        const QString text = item.toString();
        if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 255; }))
            return false;
        out.append(text);
    }
    return true;
}

bool readNumbers(const QJsonValue& value, int ceiling, std::vector<int>& out) {
    if (!value.isArray())
        return false;
    out.clear();
    for (const QJsonValue& item : value.toArray()) {
        const double number = item.toDouble(-1);
        if (!item.isDouble() || number < 0 || number > ceiling || number != static_cast<int>(number))
            return false;
        out.push_back(static_cast<int>(number));
    }
    return true;
}

// A serial is listed, typed after --device and kept in the journal: short, printable, one word.
bool isSerial(const QJsonValue& value) {
    const QString text = value.toString();
    return value.isString() && !text.isEmpty() && text.size() <= kMaxSerialLength &&
           std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() > 32 && c.unicode() < 127; });
}

bool isLowerHex(const QByteArray& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}
} // namespace

QByteArray toJson(const DeviceState& state) {
    QJsonArray config;
    for (quint8 byte : state.config)
        config.append(byte);
    QJsonArray record;
    for (quint16 entry : state.record)
        record.append(entry);
    QJsonObject root = state.otherKeys;
    root.insert(QStringLiteral("format"), kFormat);
    root.insert(QStringLiteral("config"), config);
    root.insert(QStringLiteral("firmware"),
                QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(state.firmware.data()),
                                               DeviceState::kFirmwareSize)
                                        .toHex()));
    root.insert(QStringLiteral("wordMemory"), QString::fromLatin1(state.wordMemory.toHex()));
    root.insert(QStringLiteral("spokenRecord"), record);
    root.insert(QStringLiteral("unitWords"), byteStrings(state.unitWords));
    root.insert(QStringLiteral("unitCommands"), byteStrings(state.unitCommands));
    if (!state.serial.isEmpty())
        root.insert(QStringLiteral("serial"), state.serial);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<DeviceState> fromJson(const QByteArray& json, QString* error) {
    const auto fail = [error](const QString& why) -> std::optional<DeviceState> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("not valid JSON at byte %1: %2")
                        .arg(parseError.offset)
                        .arg(parseError.errorString()));
    if (!document.isObject())
        return fail(QStringLiteral("the top level must be an object"));
    const QJsonObject root = document.object();
    DeviceState state = DeviceState::factory();
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (!ownKeys().contains(it.key()))
            state.otherKeys.insert(it.key(), it.value());
    }

    if (root.contains(QStringLiteral("format"))) {
        const QJsonValue format = root.value(QStringLiteral("format"));
        if (!format.isDouble())
            return fail(
                QStringLiteral("\"format\" must be the number %1, not %2").arg(kFormat).arg(kindOf(format)));
        if (format.toDouble() != kFormat)
            return fail(QStringLiteral("\"format\" %1 is not understood (expected %2)")
                            .arg(format.toDouble())
                            .arg(kFormat));
    }

    if (root.contains(QStringLiteral("config"))) {
        std::vector<int> numbers;
        if (!readNumbers(root.value(QStringLiteral("config")), 255, numbers) ||
            numbers.size() != DeviceState::kConfigSize)
            return fail(QStringLiteral("\"config\" must be an array of 16 numbers from 0 to 255"));
        std::copy(numbers.begin(), numbers.end(), state.config.begin());
    }

    if (root.contains(QStringLiteral("firmware"))) {
        const QJsonValue value = root.value(QStringLiteral("firmware"));
        const QByteArray hex = value.toString().toLatin1();
        if (!value.isString() || hex.size() != 2 * DeviceState::kFirmwareSize || !isLowerHex(hex))
            return fail(
                QStringLiteral("\"firmware\" must be %1 bytes as lower-case hex, like \"312e32334104\"")
                    .arg(DeviceState::kFirmwareSize));
        const QByteArray bytes = QByteArray::fromHex(hex);
        std::copy(bytes.begin(), bytes.end(), state.firmware.begin());
    }

    if (root.contains(QStringLiteral("wordMemory"))) {
        const QByteArray hex = root.value(QStringLiteral("wordMemory")).toString().toLatin1();
        if (!root.value(QStringLiteral("wordMemory")).isString() || hex.size() % 2 != 0 || !isLowerHex(hex))
            return fail(QStringLiteral("\"wordMemory\" must be a string of lower-case hex digit pairs"));
        if (hex.size() < 2 * DeviceState::kWordMemorySize)
            return fail(QStringLiteral("\"wordMemory\" holds %1 bytes; the device has %2")
                            .arg(hex.size() / 2)
                            .arg(DeviceState::kWordMemorySize));
        state.wordMemory = QByteArray::fromHex(hex);
    }

    if (root.contains(QStringLiteral("spokenRecord"))) {
        std::vector<int> numbers;
        if (!readNumbers(root.value(QStringLiteral("spokenRecord")), 0xFFFF, numbers) ||
            numbers.size() > DeviceState::kRecordSlots)
            return fail(
                QStringLiteral("\"spokenRecord\" must be an array of at most %1 numbers from 0 to 65535")
                    .arg(DeviceState::kRecordSlots));
        std::copy(numbers.begin(), numbers.end(), state.record.begin());
    }

    if (root.contains(QStringLiteral("unitWords")) &&
        !readByteStrings(root.value(QStringLiteral("unitWords")), state.unitWords))
        return fail(QStringLiteral("\"unitWords\" must be an array of strings of 8-bit characters"));
    if (root.contains(QStringLiteral("unitCommands")) &&
        !readByteStrings(root.value(QStringLiteral("unitCommands")), state.unitCommands))
        return fail(QStringLiteral("\"unitCommands\" must be an array of strings of 8-bit characters"));
    if (root.contains(QStringLiteral("serial"))) {
        const QJsonValue value = root.value(QStringLiteral("serial"));
        if (!isSerial(value))
            return fail(QStringLiteral("\"serial\" must be 1 to %1 printable ASCII characters without blanks")
                            .arg(kMaxSerialLength));
        state.serial = value.toString();
    }
    return state;
}

std::optional<DeviceState> load(const QString& path, bool* missing, QString* error) {
    const CappedRead file = readCapped(path, kMaxFileSize);
    *missing = file.status == CappedRead::Status::Missing;
    if (*missing)
        return DeviceState::factory();
    if (!file.ok()) {
        if (error)
            *error = QStringLiteral("cannot read the virtual device's state file %1").arg(file.error);
        return std::nullopt;
    }
    QString why;
    auto state = fromJson(file.data, &why);
    if (!state && error)
        *error = QStringLiteral("the virtual device's state file %1 is damaged: %2").arg(path, why);
    return state;
}

QString save(const QString& path, const QByteArray& json) {
    QString error;
    if (!replaceFile(path, json, &error))
        return QStringLiteral("cannot save the virtual device's state: %1").arg(error);
    return {};
}

} // namespace telvar::StateFile
