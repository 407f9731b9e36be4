// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/ExceptionText.h"

#include <new>

namespace telvar {

QString exceptionText(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return QStringLiteral("out of memory");
    } catch (const std::exception& exception) {
        return QString::fromLocal8Bit(exception.what());
    } catch (...) {
        return QStringLiteral("an unexpected error");
    }
}

} // namespace telvar
