#include "records/class_error.h"

ClassError::ClassError(std::int32_t number, QString source, QString description)
    : number_(number), source_(std::move(source)), description_(std::move(description)),
      what_((source_ + QStringLiteral(": ") + description_).toUtf8())
{
}

QString errorTextFor(std::int32_t)
{
    return QStringLiteral("An unknown error has occurred!");
}

void raiseClassError(std::int32_t number, const QString& source)
{
    const auto sum = static_cast<std::int32_t>(static_cast<std::uint32_t>(ErrorNumbers::ObjectErrorBase) +
                                               static_cast<std::uint32_t>(number));
    throw ClassError(sum, source, errorTextFor(number));
}
