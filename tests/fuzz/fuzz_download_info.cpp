// One reply of GetRight's DownloadInfo topic, as the data-exchange client hands
// it over (decoded from UTF-8, NULs removed), taken apart by splitDownloadInfo.
#include "monitor/download_info.h"

#include <array>
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
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    bytes.replace('\0', QByteArray());
    const QString reply = QString::fromUtf8(bytes);

    // Group and decimal separators differ: "," and "." either way, and a blank.
    static const std::array<QLocale, 3> locales{QLocale(QLocale::English, QLocale::UnitedStates),
                                                QLocale(QLocale::German, QLocale::Germany),
                                                QLocale(QLocale::French, QLocale::France)};
    const std::optional<DownloadInfoItem> item = splitDownloadInfo(reply, locales[size % 3]);
    if (!item)
        return 0;
    check(!item->title.contains(u'|') && !item->detail.contains(u'|'), "fields end at bars");
    check(reply.startsWith(item->title + u'|'), "title leads");
    check(reply.endsWith(u'|' + item->detail + u'|' + item->rest), "detail and rest trail");
    check(item->title.size() + item->detail.size() + item->rest.size() + 3 <= reply.size(),
          "fields are pieces of the reply");
    for (const QChar c : item->sizeKB)
        check(c.isDigit() || c == u'-', "size is digits");
    return 0;
}
