// Arbitrary bytes as a Wine user.reg, searched for GetRight's configured log.
#include "platform/wine_reg_file.h"

#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QStringView name : {QStringView(u"LogFile"), QStringView()}) {
        const std::optional<QString> value =
            findWineRegString(text, u"Software\\Headlight\\GetRight\\Config\\", name);
        if (!value)
            continue;
        // Every character of a value comes from at least one byte of its data.
        check(value->size() <= text.size(), "value no longer than the file");
        check(value->size() <= kMaxWineRegValueBytes, "value within the cap");
        check(!value->contains(QChar(u'\0')), "value cut at its first NUL");
    }
    return 0;
}
