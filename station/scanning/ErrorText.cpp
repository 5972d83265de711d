#include "scanning/ErrorText.h"

#include <filesystem>
#include <new>

#include "controls/ControlError.h"
#include "database/DatabaseError.h"
#include "scanning/LHDLLInterface.h"

NumberedError Numbered(const std::exception& error) {
    if (const auto* control = dynamic_cast<const ControlError*>(&error)) {
        return {control->number(), control->description()};
    }
    if (const auto* library = dynamic_cast<const LHDLLInterface::LibraryError*>(&error)) {
        return {library->number(), QString::fromStdString(library->description())};
    }
    if (const auto* database = dynamic_cast<const DatabaseError*>(&error)) {
        return {-2147467259, database->message()};
    }
    if (dynamic_cast<const std::filesystem::filesystem_error*>(&error) != nullptr) {
        return {75, QString::fromLocal8Bit(error.what())};
    }
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
        return {7, QStringLiteral("Out of memory")};
    }
    return {51, QString::fromLocal8Bit(error.what())};
}

QString ErrorText(const std::exception& error) {
    const NumberedError numbered = Numbered(error);
    return QString::number(numbered.number) + QStringLiteral("\r\n") + numbered.description;
}
