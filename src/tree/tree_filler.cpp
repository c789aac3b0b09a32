#include "tree/tree_filler.h"

#include "log/formats.h"
#include "log/split_path.h"
#include "records/log_entries.h"
#include "tree/tree_images.h"

namespace {

QString downloadKey(int record)
{
    return QStringLiteral("Entry: ") + QString::number(record);
}

} // namespace

TreeFiller::TreeFiller(const Formats& formats) : formats_(formats) {}

void TreeFiller::release()
{
    records_.clear();
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

    const int count = static_cast<int>(records_.size());
    for (int record = 1; record <= count; ++record) {
        if (progress && !progress(record)) {
            completed = false;
            break;
        }
        const LogEntry& entry = *records_[static_cast<std::size_t>(record - 1)];
        int parent = 0;
        if (grouped) {
            QString text;
            int image = 0;
            const QString key = groupKey(entry, &text, &image);
            parent = model.findKey(key);
            if (parent == 0) {
                parent = model.addNode(0, key, QString(), 0);
                model.setText(parent, text);
                model.setImage(parent, image);
                model.setSorted(parent, true);
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
        const QString date = trimSpaces(splitDateTime(entry.dateStarted).first).toString();
        *text = formats_.longDate(date);
        *image = TreeImages::Calendar;
        return QStringLiteral("Date: ") + date;
    }
    case SortOrder::SortByURL:
        *text = splitPath(entry.url).folder;
        *image = TreeImages::Calendar;
        return QStringLiteral("URL: ") + *text;
    case SortOrder::SortByLocal:
        *text = splitPath(entry.localName).folder;
        *image = TreeImages::Folder;
        return QStringLiteral("Local: ") + *text;
    default:
        return QString();
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
    const auto [date, time] = splitDateTime(entry.dateStarted);
    switch (order_) {
    case SortOrder::SortByDate:
        return trimSpaces(time).toString();
    case SortOrder::SortByURL:
        return formats_.longDate(trimSpaces(date)) + QStringLiteral(" / ") + formats_.time(time);
    case SortOrder::SortByLocal:
        return formats_.shortDate(trimSpaces(date)) + QStringLiteral(" / ") + formats_.time(time);
    default:
        return entry.dateStarted;
    }
}

QString TreeFiller::key(quint64 tag) const
{
    const int record = static_cast<int>(tag >> 4);
    static const char* const kLabels[] = {"",         "Started ", "URL ",    "Local ", "Restarts ",
                                          "Mirrors ", "Resumes ", "Bytes ", "Finished "};
    return QLatin1String(kLabels[tag & 0xF]) + downloadKey(record);
}

QString TreeFiller::text(quint64 tag) const
{
    const int record = static_cast<int>(tag >> 4);
    if (record < 1 || record > static_cast<int>(records_.size()))
        return QString();
    const LogEntry& entry = *records_[static_cast<std::size_t>(record - 1)];
    switch (static_cast<Kind>(tag & 0xF)) {
    case Download:
        return entry.fName;
    case Started:
        return QStringLiteral("Added: ") + startText(entry);
    case Url:
        return QStringLiteral("URL: ") + entry.url;
    case Local:
        return QStringLiteral("Local Path: ") + entry.localName;
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
        return QStringLiteral("Finished: ") + entry.dateFinished;
    }
    return QString();
}
