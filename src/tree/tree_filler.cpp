#include "tree/tree_filler.h"

#include "log/formats.h"
#include "log/line_views.h"
#include "log/split_path.h"
#include "records/log_entries.h"
#include "tree/tree_images.h"

#include <charconv>
#include <string_view>
#include <unordered_map>

namespace {

QString downloadKey(int record)
{
    return QStringLiteral("Entry: ") + QString::number(record);
}

const char* const kKeyLabels[] = {"",         "Started ", "URL ",   "Local ",   "Restarts ",
                                  "Mirrors ", "Resumes ", "Bytes ", "Finished "};

void appendNumber(qint64 number, std::string& out)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, std::size_t(end - digits));
}

// The folder part of SplitPath: up to and including the last "/" or "\".
QLatin1StringView folderPart(QLatin1StringView text)
{
    qsizetype at = text.size() - 1;
    while (at >= 0 && text.data()[at] != '/' && text.data()[at] != '\\')
        --at;
    return text.first(at + 1);
}

// splitDateTime() of a Latin-1 text: the date before the first " - ", the time after.
std::pair<QLatin1StringView, QLatin1StringView> splitLatin1DateTime(QLatin1StringView text)
{
    const qsizetype at = LineViews::find(text, QLatin1StringView(" - "));
    if (at < 0)
        return {text, QLatin1StringView()};
    return {text.first(at), text.sliced(at + 3)};
}

struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const
    {
        return std::hash<std::string_view>{}(key);
    }
};

} // namespace

TreeFiller::TreeFiller(const Formats& formats) : formats_(formats) {}

void TreeFiller::release()
{
    records_.clear();
    records_.shrink_to_fit();
}

bool TreeFiller::fill(TreeModel& model, const LogEntries& entries, SortOrder order, bool wideDate,
                      const Progress& progress)
{
    model.clear();
    records_.clear();
    records_.reserve(static_cast<std::size_t>(entries.count()));
    entries.forEach([this](const LogEntry& entry) { records_.push_back(&entry); });
    order_ = order;
    wideDate_ = wideDate;

    const bool grouped = order == SortOrder::SortByDate || order == SortOrder::SortByURL ||
                         order == SortOrder::SortByLocal;
    bool completed = true;
    model.beginFill();
    // A download takes 4 to 9 nodes; most take a few more than the three details.
    model.reserve(static_cast<int>(qMin<qsizetype>(records_.size() * 6, 1 << 28)));
    if (order == SortOrder::SortNone || order == SortOrder::SortByName ||
        order == SortOrder::SortByDate)
        model.setRootsSorted(false);

    // Group nodes by their key, so a record finds its group without a QString.
    std::unordered_map<std::string, int, KeyHash, std::equal_to<>> groups;
    std::string key;
    std::string lastKey;
    int lastGroup = 0;

    const int count = static_cast<int>(records_.size());
    for (int record = 1; record <= count; ++record) {
        if (progress && !progress(record)) {
            completed = false;
            break;
        }
        const LogEntry& entry = *records_[static_cast<std::size_t>(record - 1)];
        int parent = 0;
        if (grouped) {
            key.clear();
            if (!groupKeyLatin1(entry, key)) {
                QString text;
                int image = 0;
                const QString qkey = groupKey(entry, &text, &image);
                parent = model.findKey(qkey);
                if (parent == 0) {
                    parent = model.addNode(0, qkey, QString(), 0);
                    model.setText(parent, text);
                    model.setImage(parent, image);
                    model.setSorted(parent, true);
                }
            } else if (lastGroup && key == lastKey) {
                parent = lastGroup;
            } else {
                const auto it = groups.find(std::string_view(key));
                if (it != groups.end()) {
                    parent = it->second;
                } else {
                    QString text;
                    int image = 0;
                    const QString qkey = groupKey(entry, &text, &image);
                    parent = model.findKey(qkey);
                    if (parent == 0) {
                        parent = model.addNode(0, qkey, QString(), 0);
                        model.setText(parent, text);
                        model.setImage(parent, image);
                        model.setSorted(parent, true);
                    }
                    groups.emplace(key, parent);
                }
                lastKey = key;
                lastGroup = parent;
            }
        }
        const int download =
            model.addDerivedNode(parent, this, tagOf(record, Download), TreeImages::Download);
        addDetails(model, download, record, entry);
    }

    if (order == SortOrder::SortByName || order == SortOrder::SortByURL ||
        order == SortOrder::SortByLocal)
        model.setRootsSorted(true);
    model.endFill();
    return completed;
}

QString TreeFiller::groupKey(const LogEntry& entry, QString* text, int* image) const
{
    switch (order_) {
    case SortOrder::SortByDate: {
        const QString started = entry.dateStarted;
        const QString date = trimSpaces(splitDateTime(started).first).toString();
        *text = formats_.longDate(date);
        *image = TreeImages::Calendar;
        return QStringLiteral("Date: ") + date;
    }
    case SortOrder::SortByURL:
        *text = splitPath(QString(entry.url)).folder;
        *image = TreeImages::Calendar;
        return QStringLiteral("URL: ") + *text;
    case SortOrder::SortByLocal:
        *text = splitPath(QString(entry.localName)).folder;
        *image = TreeImages::Folder;
        return QStringLiteral("Local: ") + *text;
    default:
        return QString();
    }
}

bool TreeFiller::groupKeyLatin1(const LogEntry& entry, std::string& out) const
{
    switch (order_) {
    case SortOrder::SortByDate: {
        if (!entry.dateStarted.latin1View())
            return false;
        const QLatin1StringView date =
            LineViews::trimSpaces(splitLatin1DateTime(entry.dateStarted.latin1()).first);
        out.append("Date: ").append(date.data(), std::size_t(date.size()));
        return true;
    }
    case SortOrder::SortByURL:
    case SortOrder::SortByLocal: {
        const RecordText& path = order_ == SortOrder::SortByURL ? entry.url : entry.localName;
        if (!path.latin1View())
            return false;
        const QLatin1StringView folder = folderPart(path.latin1());
        out.append(order_ == SortOrder::SortByURL ? "URL: " : "Local: ")
            .append(folder.data(), std::size_t(folder.size()));
        return true;
    }
    default:
        return false;
    }
}

void TreeFiller::addDetails(TreeModel& model, int downloadNode, int record, const LogEntry& entry)
{
    auto add = [&](Kind kind, int image) {
        model.addDerivedNode(downloadNode, this, tagOf(record, kind), image);
    };
    add(Started, TreeImages::Calendar);
    add(Url, TreeImages::Url);
    add(Local, TreeImages::Folder);
    if (entry.restarts > 0)
        add(Restarts, TreeImages::Restarts);
    if (entry.mirrors > 0)
        add(Mirrors, TreeImages::Mirrors);
    if (entry.resumes > 0)
        add(Resumes, TreeImages::Resumes);
    if (entry.num > 0)
        add(Bytes, TreeImages::Kilobytes);
    if (!entry.dateFinished.isEmpty())
        add(Finished, TreeImages::Finished);
}

QString TreeFiller::startText(const LogEntry& entry) const
{
    const QString started = entry.dateStarted;
    const auto [date, time] = splitDateTime(started);
    switch (order_) {
    case SortOrder::SortByDate:
        return trimSpaces(time).toString();
    case SortOrder::SortByURL:
        return formats_.longDate(trimSpaces(date)) + QStringLiteral(" / ") + formats_.time(time);
    case SortOrder::SortByLocal:
        return formats_.shortDate(trimSpaces(date)) + QStringLiteral(" / ") + formats_.time(time);
    default:
        return started;
    }
}

bool TreeFiller::appendStartText(const LogEntry& entry, std::string& out) const
{
    if (!entry.dateStarted.latin1View())
        return false;
    const QLatin1StringView started = entry.dateStarted.latin1();
    const auto [date, time] = splitLatin1DateTime(started);
    switch (order_) {
    case SortOrder::SortByDate: {
        const QLatin1StringView trimmed = LineViews::trimSpaces(time);
        out.append(trimmed.data(), std::size_t(trimmed.size()));
        return true;
    }
    case SortOrder::SortByURL:
        if (!formats_.appendLongDate(LineViews::trimSpaces(date), out))
            return false;
        out.append(" / ");
        return formats_.appendTime(time, out);
    case SortOrder::SortByLocal:
        if (!formats_.appendShortDate(LineViews::trimSpaces(date), out))
            return false;
        out.append(" / ");
        return formats_.appendTime(time, out);
    default:
        out.append(started.data(), std::size_t(started.size()));
        return true;
    }
}

const LogEntry* TreeFiller::record(quint64 tag) const
{
    const quint64 record = tag >> 4;
    if (record < 1 || record > records_.size())
        return nullptr;
    return records_[std::size_t(record - 1)];
}

QString TreeFiller::key(quint64 tag) const
{
    const int record = static_cast<int>(tag >> 4);
    return QLatin1String(kKeyLabels[tag & 0xF]) + downloadKey(record);
}

bool TreeFiller::appendLatin1Key(quint64 tag, std::string& out) const
{
    out.append(kKeyLabels[tag & 0xF]).append("Entry: ");
    appendNumber(qint64(tag >> 4), out);
    return true;
}

QString TreeFiller::text(quint64 tag) const
{
    const LogEntry* found = record(tag);
    if (!found)
        return QString();
    const LogEntry& entry = *found;
    switch (static_cast<Kind>(tag & 0xF)) {
    case Download:
        return entry.fName;
    case Started:
        return QStringLiteral("Added: ") + startText(entry);
    case Url:
        return QStringLiteral("URL: ") + entry.url.toString();
    case Local:
        return QStringLiteral("Local Path: ") + entry.localName.toString();
    case Restarts:
        return QStringLiteral("Restarts: ") + QString::number(entry.restarts);
    case Mirrors:
        return QStringLiteral("Mirror Swaps: ") + QString::number(entry.mirrors);
    case Resumes:
        return QStringLiteral("Resumes: ") + QString::number(entry.resumes);
    case Bytes:
        return (order_ == SortOrder::SortByDate ? QStringLiteral("Bytes Resumed: ")
                                                : QStringLiteral("KBytes Resumed: ")) +
               formats_.groupedDigits(entry.num) + QStringLiteral(" Kb");
    case Finished:
        return QStringLiteral("Finished: ") + entry.dateFinished.toString();
    }
    return QString();
}

bool TreeFiller::appendLatin1Text(quint64 tag, std::string& out) const
{
    const LogEntry* found = record(tag);
    if (!found)
        return true; // the empty text
    const LogEntry& entry = *found;
    const std::size_t at = out.size();
    bool ok = true;
    switch (static_cast<Kind>(tag & 0xF)) {
    case Download:
        ok = entry.fName.appendLatin1(out);
        break;
    case Started:
        out.append("Added: ");
        ok = appendStartText(entry, out);
        break;
    case Url:
        out.append("URL: ");
        ok = entry.url.appendLatin1(out);
        break;
    case Local:
        out.append("Local Path: ");
        ok = entry.localName.appendLatin1(out);
        break;
    case Restarts:
        out.append("Restarts: ");
        appendNumber(entry.restarts, out);
        break;
    case Mirrors:
        out.append("Mirror Swaps: ");
        appendNumber(entry.mirrors, out);
        break;
    case Resumes:
        out.append("Resumes: ");
        appendNumber(entry.resumes, out);
        break;
    case Bytes:
        out.append(order_ == SortOrder::SortByDate ? "Bytes Resumed: " : "KBytes Resumed: ");
        ok = formats_.appendGroupedDigits(entry.num, out);
        out.append(" Kb");
        break;
    case Finished:
        out.append("Finished: ");
        ok = entry.dateFinished.appendLatin1(out);
        break;
    }
    if (!ok)
        out.resize(at);
    return ok;
}
