#include "sim_downloads.h"

#include <QUrl>

#include <cmath>

namespace {

struct CatalogueEntry {
    const char* url;
    qint64 size;    // bytes
    double rateKB;  // kilobytes per second
    int resumedPct; // resumed at this share of the file, or 0 for a fresh start
};

// Era-typical downloads over a broadband line; sizes in bytes.
constexpr CatalogueEntry Catalogue[] = {
    {"http://download.mozilla.org/pub/firefox/releases/1.0/win32/en-US/Firefox_Setup_1.0.exe",
     4'939'116, 96, 0},
    {"http://cdimage.debian.org/debian-cd/3.1_r0a/i386/iso-cd/debian-31r0a-i386-netinst.iso",
     115'343'360, 420, 35},
    {"http://downloads.sourceforge.net/gimp-win/gimp-2.2.13-i586-setup.exe", 8'493'465, 150, 0},
    {"ftp://ftp.openoffice.org/stable/2.0.4/OOo_2.0.4_Win32Intel_install.exe", 102'760'448, 210,
     12},
    {"http://www.7-zip.org/a/7z442.exe", 870'400, 60, 0},
    {"ftp://ftp.videolan.org/pub/videolan/vlc/0.8.6/win32/vlc-0.8.6-win32.exe", 9'961'472, 180, 0},
    {"http://ftp.gnu.org/gnu/emacs/windows/emacs-21.3-fullbin-i386.tar.gz", 19'922'944, 240, 60},
    {"http://the.earth.li/~sgtatham/putty/latest/x86/putty.exe", 454'656, 35, 0},
};
constexpr int CatalogueCount = static_cast<int>(std::size(Catalogue));

QString fileNameOf(int entry)
{
    const QString url = QString::fromLatin1(Catalogue[entry].url);
    return url.mid(url.lastIndexOf(u'/') + 1);
}

QString hostOf(int entry)
{
    return QUrl(QString::fromLatin1(Catalogue[entry].url)).host();
}

QString sizeText(double bytes)
{
    if (bytes >= 1024.0 * 1024.0)
        return QString::number(bytes / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
    return QString::number(std::ceil(bytes / 1024.0), 'f', 0) + QStringLiteral(" KB");
}

} // namespace

QString simLocalPath(const QString& fileName)
{
    return QStringLiteral("C:\\Downloads\\") + fileName;
}

SimDownloads::SimDownloads(int count, double speed) : speed_(speed)
{
    count = qBound(0, count, CatalogueCount);
    for (int slot = 0; slot < count; ++slot) {
        active_.append(Active{});
        start(slot, 0);
    }
}

int SimDownloads::catalogueSize()
{
    return CatalogueCount;
}

void SimDownloads::start(int slot, double now)
{
    const int entry = nextEntry_;
    nextEntry_ = (nextEntry_ + 1) % CatalogueCount;
    const CatalogueEntry& c = Catalogue[entry];
    Active& a = active_[slot];
    a.entry = entry;
    a.startedAt = now;
    a.startBytes = c.size / 100 * c.resumedPct;
    a.bytes = a.startBytes;
    // Neighbouring slots share the line a little unevenly.
    a.rate = c.rateKB * 1024.0 * speed_ * (0.85 + 0.1 * (slot % 3));

    const QString path = simLocalPath(fileNameOf(entry));
    events_ << QStringLiteral("File: %1.GETRIGHT=%2").arg(path, QString::fromLatin1(c.url))
            << QStringLiteral("Connecting to %1").arg(hostOf(entry));
    if (a.startBytes > 0)
        events_ << QStringLiteral("Resumed: %1 at: %2").arg(path).arg(a.startBytes);
    else
        events_ << QStringLiteral("(Re)Started downloading: %1").arg(path);
}

void SimDownloads::advanceTo(double seconds)
{
    now_ = seconds;
    for (int slot = 0; slot < active_.size(); ++slot) {
        Active& a = active_[slot];
        const qint64 size = Catalogue[a.entry].size;
        a.bytes = qMin<qint64>(size, a.startBytes + qint64((now_ - a.startedAt) * a.rate));
        if (a.bytes >= size) {
            events_
                << QStringLiteral("Finished downloading %1").arg(simLocalPath(fileNameOf(a.entry)));
            start(slot, now_);
        }
    }
}

QString SimDownloads::detail(const Active& a) const
{
    const qint64 size = Catalogue[a.entry].size;
    // The rate wobbles a little from second to second, as real transfers do.
    const double wobble = 1.0 + 0.08 * std::sin(now_ * 1.7 + a.entry);
    return QStringLiteral("%1% of %2 at %3 KB/s")
        .arg(a.bytes * 100 / size)
        .arg(sizeText(double(size)))
        .arg(qRound(a.rate * wobble / 1024.0));
}

QString SimDownloads::reply(int index) const
{
    const Active& a = active_.at(index);
    return QStringLiteral("%1|%2|%3|%4")
        .arg(fileNameOf(a.entry))
        .arg(a.bytes)
        .arg(detail(a), QString::fromLatin1(Catalogue[a.entry].url));
}

QString SimDownloads::malformedReply(int index) const
{
    const Active& a = active_.at(index);
    return QStringLiteral("%1|%2|%3").arg(fileNameOf(a.entry)).arg(a.bytes).arg(detail(a));
}

QStringList SimDownloads::takeEvents()
{
    QStringList out;
    out.swap(events_);
    return out;
}

QString SimDownloads::idleMessage()
{
    if (active_.isEmpty())
        return QStringLiteral("Checking for updates");
    const Active& a = active_.at(idleTurn_++ % active_.size());
    return QStringLiteral("Connected to %1").arg(hostOf(a.entry));
}
