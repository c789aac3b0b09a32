// getright-loggen: writes a GetRight-style log of any size for benchmarks and
// load tests. The same seed and size give the same bytes on every machine: the
// random numbers come from our own generator, not from the standard library's
// distributions, whose results differ between implementations.
//
//   getright-loggen --lines N [--seed S] [--out FILE]
//
// What the log holds, roughly in GetRight's proportions: downloads that are added
// ("File: "), started, resumed at a byte offset, swapped to a mirror, restarted
// from 0, paused, finished or left unfinished; URLs downloaded again; the same
// file name from different sites; a few lines with non-ASCII (Windows-1252)
// folder names; noise lines of other messages; a few undated lines; a stretch
// written with four-digit years. Lines end in CR LF.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// splitmix64: small, fast and the same everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    std::uint64_t below(std::uint64_t n) { return n ? next() % n : 0; }
    // true with probability percent / 100 (percent may have a fraction)
    bool chance(double percent) { return double(next() >> 11) * 0x1.0p-53 * 100.0 < percent; }
    template <typename T> const T& pick(const std::vector<T>& items)
    {
        return items[below(items.size())];
    }

private:
    std::uint64_t state_;
};

const std::vector<std::string> kHosts = {
    "download.mozilla.org",
    "ftp.gnu.org",
    "ftp.videolan.org",
    "www.7-zip.org",
    "downloads.sourceforge.net",
    "ftp.openoffice.org",
    "dl.winamp.com",
    "www.download.com",
    "files.example.org",
    "mirror.example.net",
    "ftp.kernel.org",
    "ftp.funet.fi",
    "ftp.sunet.se",
    "ftp.uni-erlangen.de",
    "mirrors.kernel.org",
    "ftp.tucows.com",
    "www.filehippo.com",
    "ftp.cdrom.com",
    "ftp.simtel.net",
    "download.microsoft.com",
    "ftp.adobe.com",
    "www.irfanview.com",
    "ftp.real.com",
    "download.nvidia.com",
    "ftp.ati.com",
    "www.gimp.org",
    "ftp.gimp.org",
    "ftp.apache.org",
    "archive.apache.org",
    "ftp.mirror.ac.uk",
    "ftp.heanet.ie",
    "ftp.belnet.be",
    "mirror.aarnet.edu.au",
    "ftp.jaist.ac.jp",
    "ftp.iij.ad.jp",
    "ftp.nluug.nl",
    "ftp.tu-chemnitz.de",
    "ftp.rediris.es",
    "ftp.ntua.gr",
    "updates.example.com",
};

const std::vector<std::string> kUrlFolders = {
    "/pub/",           "/pub/win32/", "/gnu/emacs/windows/", "/releases/",
    "/download/",      "/files/",     "/pub/videolan/vlc/",  "/stable/",
    "/mirror/",        "/dist/",      "/pub/mozilla/",       "/software/",
    "/drivers/",       "/updates/",   "/pub/utils/",         "/pub/games/demos/",
    "/pub/linux/iso/", "/tools/",     "/archive/2001/",      "/shareware/",
};

const std::vector<std::string> kProducts = {
    "Firefox_Setup",
    "emacs",
    "vlc",
    "7z",
    "gimp",
    "OOo_Win32Intel",
    "winamp",
    "npp",
    "TortoiseSVN",
    "Miranda-IM",
    "irfanview",
    "putty",
    "winzip",
    "acrobat",
    "realplayer",
    "quicktime",
    "divx",
    "xvid",
    "ffdshow",
    "mplayer",
    "audacity",
    "blender",
    "inkscape",
    "filezilla",
    "thunderbird",
    "nvidia_driver",
    "catalyst",
    "directx",
    "dotnetfx",
    "jre",
    "python",
    "perl",
    "tcl",
    "cygwin_setup",
    "mingw",
    "wxWidgets",
    "qt-win-opensource",
    "apache_httpd",
    "php",
    "mysql",
    "postgresql",
    "openssl",
    "gnupg",
    "winscp",
    "wireshark",
    "nmap",
    "clamav",
    "spybot",
    "adaware",
    "ccleaner",
    "defraggler",
    "recuva",
    "foobar2000",
    "mediacoder",
    "handbrake",
    "avidemux",
    "virtualdub",
    "paint.net",
    "sumatrapdf",
    "foxit_reader",
    "knoppix",
    "debian-netinst",
    "slackware",
    "freebsd-disc1",
    "doom_demo",
    "quake_demo",
};

const std::vector<std::string> kExtensions = {
    ".exe", ".zip", ".tar.gz", ".msi", ".iso", ".rar", ".7z", ".exe", ".zip", ".exe",
};

// File names that many sites use: the same name from different URLs.
const std::vector<std::string> kCommonNames = {
    "setup.exe", "install.exe", "readme.txt", "update.zip", "Setup.EXE", "patch.exe", "data.cab",
};

const std::vector<std::string> kLocalFolders = {
    "C:\\Downloads\\",     "C:\\Downloads\\Programs\\", "C:\\Program Files\\GetRight\\Downloads\\",
    "D:\\Incoming\\",      "D:\\Incoming\\Drivers\\",   "C:\\My Documents\\Downloads\\",
    "E:\\ISO\\",           "C:\\Downloads\\Games\\",    "C:\\Downloads\\Music\\",
    "D:\\Archive\\2001\\",
};

// Windows-1252 bytes: "Téléchargements" and "Müller" as GetRight writes them.
const std::vector<std::string> kAnsiLocalFolders = {
    "C:\\T\xE9l\xE9"
    "chargements\\",
    "D:\\M\xFCller\\Downloads\\",
};

const std::vector<std::string> kServers = {
    "Apache/1.3.27 (Unix)",
    "Microsoft-IIS/5.0",
    "Apache/2.0.54 (Debian)",
    "Netscape-Enterprise/4.1",
};

const std::vector<std::string> kUndated = {
    "",
    "GetRight log opened",
    "----------------------------------------",
    "*** Log continues ***",
};

struct Download {
    std::string url;
    std::string local; // without ".GETRIGHT"
    std::string name;  // as in the URL
    std::string host;
    bool started = false;
    int steps = 0;
    long long bytes = 0; // where a resume picks up
};

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(long long z, int* y, int* m, int* d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    *d = int(doy - (153 * mp + 2) / 5 + 1);
    *m = int(mp < 10 ? mp + 3 : mp - 9);
    *y = int(yoe + era * 400 + (*m <= 2 ? 1 : 0));
}

class Generator {
public:
    Generator(std::uint64_t seed, long long lines, std::FILE* out)
        : random_(seed * 0x2545F4914F6CDD1Dull + 1), lines_(lines), out_(out)
    {
        buffer_.reserve(1 << 20);
        // 16 March 2001, 08:00:00
        seconds_ = 11397LL * 86400 + 8 * 3600;
    }

    bool run()
    {
        // A log begins where GetRight started writing it.
        emitUndated(kUndated[1]);
        while (written_ < lines_) {
            step();
            if (buffer_.size() > (1 << 20) - 4096 && !flush())
                return false;
        }
        return flush();
    }

private:
    void step()
    {
        // A few undated lines scattered through the log.
        if (random_.chance(0.004)) {
            emitUndated(random_.pick(kUndated));
            return;
        }
        const std::size_t wanted = 1 + random_.below(5);
        if (active_.size() < wanted && random_.chance(45)) {
            addDownload();
            return;
        }
        if (active_.empty() || random_.chance(12)) {
            globalNoise();
            return;
        }
        advance(random_.below(active_.size()));
    }

    void addDownload()
    {
        Download d;
        if (!history_.empty() && random_.chance(9)) {
            // The same URL again: a re-download, often into the same folder.
            d = history_[random_.below(history_.size())];
            d.started = false;
            d.steps = 0;
            d.bytes = 0;
            if (random_.chance(30))
                d.local = localFolder() + d.name;
        } else {
            d.host = random_.pick(kHosts);
            d.name = random_.chance(5) ? random_.pick(kCommonNames) : productName();
            std::string folder = random_.pick(kUrlFolders);
            if (random_.chance(40))
                folder.append(std::to_string(random_.below(12)))
                    .append(".")
                    .append(std::to_string(random_.below(10)))
                    .append("/");
            const char* scheme = random_.chance(25) ? "ftp://" : "http://";
            d.url = scheme + d.host + folder + d.name;
            if (random_.chance(2))
                d.url.append("?mirror=").append(std::to_string(random_.below(9))).append("&x=1");
            d.local = localFolder() + d.name;
        }
        std::string suffix = ".GETRIGHT";
        if (random_.chance(8))
            suffix.clear(); // added with its final name
        else if (random_.chance(1))
            suffix = ".getright";
        emit("File: " + d.local + suffix + "=" + d.url);
        if (history_.size() < 50000)
            history_.push_back(d);
        else
            history_[random_.below(history_.size())] = d;
        active_.push_back(std::move(d));
    }

    std::string productName()
    {
        std::string name = random_.pick(kProducts);
        name += random_.chance(50) ? "-" : "_";
        name.append(std::to_string(random_.below(10)))
            .append(".")
            .append(std::to_string(random_.below(20)));
        if (random_.chance(40))
            name.append(".").append(std::to_string(random_.below(100)));
        if (random_.chance(20))
            name += random_.chance(50) ? "-win32" : "-setup";
        name += random_.pick(kExtensions);
        return name;
    }

    std::string localFolder()
    {
        if (random_.chance(0.5))
            return random_.pick(kAnsiLocalFolders);
        return random_.pick(kLocalFolders);
    }

    // The download's path or, now and then, its bare file name.
    std::string nameOf(const Download& d) { return random_.chance(3) ? d.name : d.local; }

    void advance(std::size_t index)
    {
        Download& d = active_[index];
        ++d.steps;
        if (!d.started) {
            if (random_.chance(35)) {
                downloadNoise(d);
                return;
            }
            d.started = true;
            emit("(Re)Started downloading: " + nameOf(d));
            return;
        }
        const std::uint64_t roll = random_.below(1000);
        if (roll < 150) {
            d.bytes += 1 + static_cast<long long>(random_.below(90'000'000));
            emit("Resumed: " + nameOf(d) + " at: " + std::to_string(d.bytes));
        } else if (roll < 230) {
            emit("(Re)Started downloading: " + nameOf(d)); // a mirror swap
        } else if (roll < 265) {
            d.bytes = 0;
            emit("Could not resume (restarting from 0): " + nameOf(d));
        } else if (roll < 640) {
            downloadNoise(d);
        } else if (roll < 975 || d.steps > 40) {
            emit("Finished downloading " + nameOf(d));
            remove(index);
        } else {
            // Left unfinished: GetRight was closed, or the user gave up.
            remove(index);
            step();
        }
    }

    void remove(std::size_t index)
    {
        active_[index] = std::move(active_.back());
        active_.pop_back();
    }

    void downloadNoise(const Download& d)
    {
        const std::string& host = d.host.empty() ? random_.pick(kHosts) : d.host;
        switch (random_.below(7)) {
        case 0:
            emit("Connecting to " + host);
            break;
        case 1:
            emit("Connected to " + host);
            break;
        case 2:
            emit("Looking up " + host);
            break;
        case 3:
            emit("Disconnected from " + host);
            break;
        case 4:
            emit("Download of " + d.name + " paused by user");
            break;
        case 5:
            emit("Server: " + random_.pick(kServers));
            break;
        default:
            emit("Error: Connection timed out");
            break;
        }
    }

    void globalNoise()
    {
        switch (random_.below(4)) {
        case 0:
            emit("Checking for updates");
            break;
        case 1:
            emit("Error: Connection timed out");
            break;
        case 2:
            emit("Dial-up connection closed");
            break;
        default:
            emit("Looking up " + random_.pick(kHosts));
            break;
        }
    }

    // Lines in this stretch carry four-digit years, as after an upgrade of GetRight.
    bool wideStretch() const
    {
        return written_ >= lines_ * 45 / 100 && written_ < lines_ * 55 / 100;
    }

    void emit(const std::string& message)
    {
        if (written_ >= lines_)
            return;
        seconds_ += 1 + static_cast<long long>(random_.below(random_.chance(3) ? 20000 : 300));
        const long long days = seconds_ / 86400;
        const int daySeconds = int(seconds_ % 86400);
        int y = 0, m = 0, d = 0;
        civilFromDays(days, &y, &m, &d);
        char head[32];
        if (wideStretch())
            std::snprintf(head, sizeof head, "%02d/%02d/%04d %02d:%02d:%02d - ", m, d, y,
                          daySeconds / 3600, daySeconds / 60 % 60, daySeconds % 60);
        else
            std::snprintf(head, sizeof head, "%02d/%02d/%02d %02d:%02d:%02d - ", m, d, y % 100,
                          daySeconds / 3600, daySeconds / 60 % 60, daySeconds % 60);
        buffer_ += head;
        buffer_ += message;
        buffer_ += "\r\n";
        ++written_;
    }

    void emitUndated(const std::string& text)
    {
        if (written_ >= lines_)
            return;
        buffer_ += text;
        buffer_ += "\r\n";
        ++written_;
    }

    bool flush()
    {
        if (!buffer_.empty() &&
            std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size())
            return false;
        buffer_.clear();
        return true;
    }

    Random random_;
    long long lines_;
    std::FILE* out_;
    std::string buffer_;
    long long written_ = 0;
    long long seconds_;
    std::vector<Download> active_;
    std::vector<Download> history_;
};

int usage(std::FILE* to)
{
    std::fputs("usage: getright-loggen --lines N [--seed S] [--out FILE]\n"
               "Writes a GetRight-style log of N lines (CR LF) to FILE or standard output.\n"
               "The same seed and N give the same bytes.\n",
               to);
    return to == stdout ? 0 : 2;
}

bool readNumber(const char* text, long long low, long long high, long long* out)
{
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < low || value > high)
        return false;
    *out = value;
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    long long lines = -1;
    long long seed = 1;
    const char* outPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return usage(stdout);
        if (i + 1 >= argc)
            return usage(stderr);
        if (arg == "--lines") {
            if (!readNumber(argv[++i], 0, 1'000'000'000'000LL, &lines))
                return usage(stderr);
        } else if (arg == "--seed") {
            if (!readNumber(argv[++i], 0, INT64_MAX, &seed))
                return usage(stderr);
        } else if (arg == "--out") {
            outPath = argv[++i];
        } else {
            return usage(stderr);
        }
    }
    if (lines < 0)
        return usage(stderr);

    std::FILE* out = stdout;
    if (outPath) {
        out = std::fopen(outPath, "wb");
        if (!out) {
            std::fprintf(stderr, "getright-loggen: cannot write %s: %s\n", outPath,
                         std::strerror(errno));
            return 1;
        }
    }
    Generator generator(static_cast<std::uint64_t>(seed), lines, out);
    const bool ok = generator.run();
    const bool closed = out == stdout ? std::fflush(out) == 0 : std::fclose(out) == 0;
    if (!ok || !closed) {
        std::fprintf(stderr, "getright-loggen: write failed: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}
