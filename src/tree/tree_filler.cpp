#include "tree/tree_filler.h"

#include "log/formats.h"
#include "log/line_views.h"
#include "records/large_pages.h"
#include "records/log_entries.h"
#include "tree/tree_images.h"

#include <cstring>
#include <string_view>

namespace {

QString downloadKey(int record)
{
    return QStringLiteral("Entry: ") + QString::number(record);
}

const char* const kKeyLabels[] = {"",         "Started ", "URL ",   "Local ",   "Restarts ",
                                  "Mirrors ", "Resumes ", "Bytes ", "Finished "};
// The same with the download key's own label.
const std::string_view kEntryLabels[] = {
    "Entry: ",         "Started Entry: ", "URL Entry: ",   "Local Entry: ",    "Restarts Entry: ",
    "Mirrors Entry: ", "Resumes Entry: ", "Bytes Entry: ", "Finished Entry: ",
};

void appendNumber(qint64 number, std::string& out)
{
    // Digits from the right, two at a time.
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    char digits[24];
    char* end = digits + sizeof digits;
    char* p = end;
    const bool negative = number < 0;
    quint64 v = negative ? quint64(0) - quint64(number) : quint64(number);
    while (v >= 100) {
        const unsigned pair = unsigned(v % 100) * 2;
        v /= 100;
        *--p = kPairs[pair + 1];
        *--p = kPairs[pair];
    }
    if (v >= 10) {
        *--p = kPairs[v * 2 + 1];
        *--p = kPairs[v * 2];
    } else {
        *--p = char('0' + v);
    }
    if (negative)
        *--p = '-';
    out.append(p, std::size_t(end - p));
}

// splitDateTime() of a Latin-1 text: the date before the first " - ", the time after.
std::pair<QLatin1StringView, QLatin1StringView> splitLatin1DateTime(QLatin1StringView text)
{
    const qsizetype at = LineViews::find(text, QLatin1StringView(" - "));
    if (at < 0)
        return {text, QLatin1StringView()};
    return {text.first(at), text.sliced(at + 3)};
}

} // namespace

TreeFiller::TreeFiller(const Formats& formats)
    : formats_(formats), tables_(this), groupTexts_(std::make_unique<TextStore>())
{
}

namespace {

std::unique_ptr<Formats> makeFormatsLike(const Formats& formats)
{
    auto copy = std::make_unique<Formats>(formats.locale());
    copy->setLogDateOrder(formats.logDateOrder());
    return copy;
}

} // namespace

TreeFiller::TreeFiller(const TreeFiller& from, std::unique_ptr<Formats> formats)
    : ownFormats_(std::move(formats)), formats_(*ownFormats_), tables_(from.tables_),
      order_(from.order_), wideDate_(from.wideDate_)
{
}

TreeFiller::~TreeFiller() = default;

std::unique_ptr<TreeModel::NodeSource> TreeFiller::copyForThread() const
{
    return std::unique_ptr<TreeFiller>(
        new TreeFiller(*this, makeFormatsLike(formats_)));
}

void TreeFiller::release()
{
    std::vector<const LogEntry*>().swap(records_);
    std::vector<RecordText>().swap(groups_);
    std::vector<int>().swap(groupNodes_);
    std::vector<quint32>().swap(groupHashes_);
    groupTexts_ = std::make_unique<TextStore>();
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
    groups_.clear();
    groupNodes_.clear();
    groupHashes_.clear();
    groupTexts_ = std::make_unique<TextStore>();
    groupTable_.clear();
    lastGroup_ = -1;

    const bool grouped = order == SortOrder::SortByDate || order == SortOrder::SortByURL ||
                         order == SortOrder::SortByLocal;
    bool completed = true;
    model.beginFill();
    // Room for exactly the download and detail nodes, and for a group per
    // record at most: room never used costs no memory.
    qsizetype nodes = 0;
    for (const LogEntry* entry : records_)
        nodes += 4 + (entry->restarts > 0) + (entry->mirrors > 0) + (entry->resumes > 0) +
                 (entry->num > 0) + !entry->dateFinished.isEmpty();
    if (grouped)
        nodes += qsizetype(records_.size());
    model.reserve(static_cast<int>(qMin<qsizetype>(nodes, 1 << 30)));
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
        const int parent = grouped ? groupNode(model, entry) : 0;
        const int download =
            model.addDerivedNode(parent, this, tagOf(record, Download), TreeImages::Download);
        addDetails(model, download, record, entry);
    }

    if (order == SortOrder::SortByName || order == SortOrder::SortByURL ||
        order == SortOrder::SortByLocal)
        model.setRootsSorted(true);
    model.endFill();
    std::vector<qint32>().swap(groupTable_);
    return completed;
}

namespace {

// Group parts are compared as texts, whichever way they are kept.
bool sameText(const RecordText& a, const RecordText& b)
{
    if (a.size() != b.size())
        return false;
    if (a.isEmpty())
        return true; // an empty text may have no data at all, and memcmp wants some
    if (a.latin1View() && b.latin1View())
        return std::memcmp(a.latin1().data(), b.latin1().data(), std::size_t(a.size())) == 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a.at(i) != b.at(i))
            return false;
    return true;
}

// A hash of the characters, whichever way they are kept: a view of a UTF-16
// text may hold Latin-1 characters only, and must hash as their bytes do.
quint32 hashBytes(const char* p, std::size_t n)
{
    quint64 x = 0x9E3779B97F4A7C15ull ^ n;
    for (; n >= 8; n -= 8, p += 8) {
        quint64 v;
        std::memcpy(&v, p, 8);
        x = (x ^ v) * 0xBF58476D1CE4E5B9ull;
        x ^= x >> 31;
    }
    quint64 v = 0;
    if (n > 0) // an empty text may have no data at all, and memcpy wants some
        std::memcpy(&v, p, n);
    x = (x ^ v) * 0x94D049BB133111EBull;
    return quint32(x ^ (x >> 32));
}

quint32 hashText(const RecordText& t)
{
    if (t.latin1View())
        return hashBytes(t.latin1().data(), std::size_t(t.size()));
    std::string bytes;
    bytes.reserve(std::size_t(t.size()));
    quint32 h = 2166136261u;
    bool latin1 = true;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const char16_t c = t.at(i);
        latin1 = latin1 && c <= 0xFF;
        bytes.push_back(char(c));
        h = (h ^ c) * 16777619u;
    }
    return latin1 ? hashBytes(bytes.data(), bytes.size()) : h;
}

// The last "/" or "\\" of a record's text, or -1.
qsizetype lastSeparator(const RecordText& t)
{
    if (t.latin1View()) {
        const char* p = t.latin1().data();
        qsizetype at = t.size() - 1;
        while (at >= 0 && p[at] != '/' && p[at] != '\\')
            --at;
        return at;
    }
    qsizetype at = t.size() - 1;
    while (at >= 0 && t.at(at) != u'/' && t.at(at) != u'\\')
        --at;
    return at;
}

} // namespace

RecordText TreeFiller::groupPart(const LogEntry& entry) const
{
    switch (order_) {
    case SortOrder::SortByDate: {
        // The date text: DateStarted up to its first " - ", blanks removed.
        const RecordText& started = entry.dateStarted;
        qsizetype end = started.size();
        if (started.latin1View()) {
            const auto at =
                std::string_view(started.latin1().data(), std::size_t(started.size())).find(" - ");
            if (at != std::string_view::npos)
                end = qsizetype(at);
        } else {
            for (qsizetype i = 0; i + 2 < started.size(); ++i) {
                if (started.at(i) == u' ' && started.at(i + 1) == u'-' &&
                    started.at(i + 2) == u' ') {
                    end = i;
                    break;
                }
            }
        }
        qsizetype begin = 0;
        while (begin < end && started.at(begin) == u' ')
            ++begin;
        while (end > begin && started.at(end - 1) == u' ')
            --end;
        return started.mid(begin, end - begin);
    }
    case SortOrder::SortByURL:
        return entry.url.mid(0, lastSeparator(entry.url) + 1);
    case SortOrder::SortByLocal:
        return entry.localName.mid(0, lastSeparator(entry.localName) + 1);
    default:
        return RecordText();
    }
}

const char* TreeFiller::groupLabel() const
{
    switch (order_) {
    case SortOrder::SortByDate:
        return "Date: ";
    case SortOrder::SortByURL:
        return "URL: ";
    case SortOrder::SortByLocal:
        return "Local: ";
    default:
        return "";
    }
}

// The group node of a record, made when its first record comes. Groups are
// derived nodes like the rest; a table of their parts finds them, as the
// tree's key lookup would.
int TreeFiller::groupNode(TreeModel& model, const LogEntry& entry)
{
    const RecordText part = groupPart(entry);
    if (lastGroup_ >= 0 && sameText(part, groups_[std::size_t(lastGroup_)]))
        return groupNodes_[std::size_t(lastGroup_)];
    const quint32 hash = hashText(part);
    if (groupTable_.empty())
        groupTable_.assign(64, 0);
    std::size_t mask = groupTable_.size() - 1;
    std::size_t i = hash & mask;
    for (; groupTable_[i] != 0; i = (i + 1) & mask) {
        const int g = groupTable_[i] - 1;
        if (groupHashes_[std::size_t(g)] == hash && sameText(part, groups_[std::size_t(g)])) {
            lastGroup_ = g;
            return groupNodes_[std::size_t(g)];
        }
    }
    const int g = int(groups_.size());
    // A copy of the part, close to the other groups' rather than in a record
    // of long ago: every record of the log looks its group up.
    groups_.push_back(part.latin1View() ? groupTexts_->add(part.latin1())
                                        : groupTexts_->add(QStringView(part.toString())));
    groupHashes_.push_back(hash);
    const int image = order_ == SortOrder::SortByLocal ? TreeImages::Folder : TreeImages::Calendar;
    const int node = model.addDerivedNode(0, this, tagOf(g, Group), image);
    model.setSorted(node, true);
    groupNodes_.push_back(node);
    groupTable_[i] = g + 1;
    if (groups_.size() * 2 > groupTable_.size()) {
        std::vector<qint32> table(groupTable_.size() * 2, 0);
        mask = table.size() - 1;
        for (std::size_t n = 0; n < groups_.size(); ++n) {
            std::size_t at = groupHashes_[n] & mask;
            while (table[at] != 0)
                at = (at + 1) & mask;
            table[at] = qint32(n) + 1;
        }
        groupTable_.swap(table);
    }
    lastGroup_ = g;
    return node;
}

const RecordText* TreeFiller::group(quint64 tag) const
{
    const quint64 g = tag >> 4;
    const auto& groups = tables_->groups_;
    return g < groups.size() ? &groups[std::size_t(g)] : nullptr;
}

void TreeFiller::addDetails(TreeModel& model, int downloadNode, int record, const LogEntry& entry)
{
    quint64 tags[8];
    int images[8];
    int n = 0;
    auto add = [&](Kind kind, int image) {
        tags[n] = tagOf(record, kind);
        images[n++] = image;
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
    model.addDerivedNodes(downloadNode, this, tags, images, n);
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

bool TreeFiller::textPieces(quint64 tag, TreeModel::TextPieces& pieces) const
{
    const Kind kind = static_cast<Kind>(tag & 0xF);
    if (kind == Group)
        return false;
    const LogEntry* found = record(tag);
    if (!found)
        return false;
    // The texts that are a label and a record's text as it is kept.
    auto labelled = [&](const char* label, const RecordText& value) {
        if (!value.latin1View())
            return false;
        pieces.add(QLatin1StringView(label));
        pieces.add(value.latin1());
        pieces.labelOwner = this;
        pieces.labelId = int(kind);
        return true;
    };
    switch (kind) {
    case Download:
        if (!found->fName.latin1View())
            return false;
        pieces.add(found->fName.latin1());
        return true;
    case Started:
        return (order_ == SortOrder::SortNone || order_ == SortOrder::SortByName) &&
               labelled("Added: ", found->dateStarted);
    case Url:
        return labelled("URL: ", found->url);
    case Local:
        return labelled("Local Path: ", found->localName);
    case Finished:
        return labelled("Finished: ", found->dateFinished);
    default:
        return false; // numbers are made when asked for
    }
}

void TreeFiller::prefetch(quint64 tag, int stage) const
{
    if ((tag & 0xF) == Group)
        return;
    const quint64 number = tag >> 4;
    const auto& records = tables_->records_;
    if (number < 1 || number > records.size())
        return;
    const LogEntry* const* slot = &records[std::size_t(number - 1)];
    if (stage == 0) {
        prefetchLine(slot);
        return;
    }
    const LogEntry* record = *slot;
    if (stage == 1) {
        // A record and the texts made with it lie together.
        const char* entry = reinterpret_cast<const char*>(record);
        for (int line = 0; line < 5; ++line)
            prefetchLine(entry + 64 * line);
        return;
    }
    // The finish text was made later, elsewhere.
    if (!record->dateFinished.isEmpty())
        prefetchLine(record->dateFinished.rawLatin1());
}

const LogEntry* TreeFiller::record(quint64 tag) const
{
    const quint64 record = tag >> 4;
    const auto& records = tables_->records_;
    if (record < 1 || record > records.size())
        return nullptr;
    return records[std::size_t(record - 1)];
}

QString TreeFiller::key(quint64 tag) const
{
    if ((tag & 0xF) == Group) {
        const RecordText* part = group(tag);
        return QLatin1String(groupLabel()) + (part ? part->toString() : QString());
    }
    const int record = static_cast<int>(tag >> 4);
    return QLatin1String(kKeyLabels[tag & 0xF]) + downloadKey(record);
}

bool TreeFiller::appendLatin1Key(quint64 tag, std::string& out) const
{
    if ((tag & 0xF) == Group) {
        const RecordText* part = group(tag);
        const std::size_t at = out.size();
        out.append(groupLabel());
        if (part && !part->appendLatin1(out)) {
            out.resize(at);
            return false;
        }
        return true;
    }
    out.append(kEntryLabels[tag & 0xF]);
    // A download and its details are read one after the other: their number
    // is written once.
    const quint64 number = tag >> 4;
    if (number != lastKeyNumber_) {
        std::string digits;
        appendNumber(qint64(number), digits);
        lastKeyDigits_ = digits;
        lastKeyNumber_ = number;
    }
    out.append(lastKeyDigits_);
    return true;
}

QString TreeFiller::text(quint64 tag) const
{
    if ((tag & 0xF) == Group) {
        const RecordText* part = group(tag);
        if (!part)
            return QString();
        return order_ == SortOrder::SortByDate ? formats_.longDate(part->toString())
                                               : part->toString();
    }
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
    case Group:
        break;
    }
    return QString();
}

bool TreeFiller::appendLatin1Text(quint64 tag, std::string& out) const
{
    if ((tag & 0xF) == Group) {
        const RecordText* part = group(tag);
        if (!part)
            return true;
        if (order_ != SortOrder::SortByDate)
            return part->appendLatin1(out);
        return part->latin1View() && formats_.appendLongDate(part->latin1(), out);
    }
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
    case Group:
        break;
    }
    if (!ok)
        out.resize(at);
    return ok;
}
