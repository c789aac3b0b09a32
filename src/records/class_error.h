#pragma once

#include <QString>

#include <cstdint>
#include <exception>

// An error raised by the record classes: a number, a source and a description.
class ClassError : public std::exception {
public:
    ClassError(std::int32_t number, QString source, QString description);

    std::int32_t number() const { return number_; }
    const QString& source() const { return source_; }
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return what_.constData(); }

private:
    std::int32_t number_;
    QString source_;
    QString description_;
    QByteArray what_;
};

namespace ErrorNumbers {
// Object-error base: the numbers the record classes raise are offsets from it.
inline constexpr std::int32_t ObjectErrorBase = static_cast<std::int32_t>(0x80040000u);
inline constexpr std::int32_t ClassFailure = 9999;
// Numbers of the ordered collection.
inline constexpr std::int32_t InvalidArgument = 5;  // missing key on remove
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t DuplicateKey = 457;
} // namespace ErrorNumbers

// The description for an error number. No texts are defined, so every number
// reads "An unknown error has occurred!".
QString errorTextFor(std::int32_t number);

// Throws ClassError numbered ObjectErrorBase + number (32-bit wrap-around) with
// the description of the number itself, not of the sum.
[[noreturn]] void raiseClassError(std::int32_t number, const QString& source);
