#include "records/log_entries.h"

#include <atomic>
#include <new>
#include <type_traits>

namespace {

constexpr int kBlockKeys = 256;

std::atomic<quint64> nextCollectionId{1};

} // namespace

LogEntries::LogEntries() : id_(nextCollectionId++) {}

LogEntries::~LogEntries() = default;

LogEntry* LogEntries::newEntry()
{
    // A record holds views and numbers only: nothing to destroy.
    static_assert(std::is_trivially_destructible_v<LogEntry>);
    return new (texts_.allocate(sizeof(LogEntry), alignof(LogEntry))) LogEntry();
}

void LogEntries::append(LogEntry* entry, const RecordText& foldedKey, quint32 hash)
{
    slots_.append(entry, foldedKey, hash);
    entry->keyed_ = !foldedKey.isEmpty();
}

void LogEntries::take(std::size_t slot)
{
    slots_.take(slot)->keyed_ = false;
}

LogEntry* LogEntries::add(const Fields& fields, const QString& sKey)
{
    LogEntry* entry = newEntry();
    entry->key = texts_.add(QStringView(fields.key));
    entry->fName = texts_.add(QStringView(fields.fName));
    entry->localName = texts_.add(QStringView(fields.localPath));
    entry->url = texts_.add(QStringView(fields.url));
    entry->resumes = fields.resumes;
    entry->restarts = fields.restarts;
    entry->dateStarted = texts_.add(QStringView(fields.dateStarted));
    entry->dateFinished = texts_.add(QStringView(fields.dateFinished));
    entry->num = fields.num;
    entry->mirrors = fields.mirrors;

    const QString& k = sKey.isEmpty() ? fields.key : sKey;
    if (k.isEmpty()) {
        append(entry, RecordText(), 0);
        return entry;
    }
    const FoldedKey folded(k);
    supersede(folded, false);
    RecordText stored;
    if (folded.matches(entry->key))
        stored = entry->key;
    else
        stored =
            folded.wide() ? texts_.add(QStringView(folded.wideText())) : texts_.add(folded.bytes());
    append(entry, stored, folded.hash());
    return entry;
}

// The record filed under the key, if any, goes to the end of the collection,
// just before the one about to be filed, and out of the key table.
void LogEntries::supersede(const FoldedKey& key, bool clearKey)
{
    if (const int earlier = slots_.find(key); earlier >= 0) {
        LogEntry* moved = slots_.item(std::size_t(earlier));
        if (clearKey)
            moved->key.clear();
        take(std::size_t(earlier));
        append(moved, RecordText(), 0);
    }
}

// A download's other texts, stored after its URL: a record and the texts made
// with it lie together.
template <typename Text>
void LogEntries::addTexts(LogEntry* entry, Text fName, Text localPath, Text dateStarted)
{
    entry->fName = texts_.add(fName);
    entry->localName = texts_.add(localPath);
    entry->dateStarted = texts_.add(dateStarted);
}

LogEntry* LogEntries::addDownload(QAnyStringView url, QAnyStringView fName,
                                  QAnyStringView localPath, QAnyStringView dateStarted)
{
    LogEntry* entry = newEntry();
    entry->url = texts_.add(url);
    entry->key = texts_.upperOf(entry->url);
    addTexts(entry, fName, localPath, dateStarted);
    if (entry->key.isEmpty()) {
        append(entry, RecordText(), 0);
        return entry;
    }
    const RecordText stored = FoldedKey::fold(entry->key, texts_);
    const FoldedKey folded(stored);
    supersede(folded, true);
    append(entry, stored, folded.hash());
    return entry;
}

template <typename Text>
LogEntry* LogEntries::addDownloadOf(QLatin1StringView url, const FoldedKey& urlKey, Text fName,
                                    Text localPath, Text dateStarted)
{
    LogEntry* entry = newEntry();
    entry->url = texts_.add(url);
    // An ASCII URL upper-cases to a view of itself, which is its folded key too.
    entry->key = TextStore::upperOfAscii(entry->url);
    addTexts(entry, fName, localPath, dateStarted);
    if (entry->key.isEmpty()) {
        append(entry, RecordText(), 0);
        return entry;
    }
    supersede(urlKey, true);
    append(entry, entry->key, urlKey.hash());
    return entry;
}

LogEntry* LogEntries::addDownload(QLatin1StringView url, const FoldedKey& urlKey,
                                  QAnyStringView fName, QAnyStringView localPath,
                                  QAnyStringView dateStarted)
{
    return addDownloadOf(url, urlKey, fName, localPath, dateStarted);
}

LogEntry* LogEntries::addDownload(QLatin1StringView url, const FoldedKey& urlKey,
                                  QLatin1StringView fName, QLatin1StringView localPath,
                                  QLatin1StringView dateStarted)
{
    return addDownloadOf(url, urlKey, fName, localPath, dateStarted);
}

LogEntry* LogEntries::item(int position) const
{
    try {
        return slots_.item(slots_.slotOf(position));
    } catch (const ClassError& e) {
        throw ClassError(e.number(), QStringLiteral("LogEntries Collection Get"), e.description());
    }
}

LogEntry* LogEntries::item(const QString& key) const
{
    const int slot = slots_.find(FoldedKey(key));
    return slot < 0 ? nullptr : slots_.item(std::size_t(slot));
}

LogEntry* LogEntries::itemFor(const LogKeys& keys) const
{
    if (keys.hintOwner == id_ && keys.hint && keys.hint->keyed_)
        return keys.hint;
    // An upper-cased view folds as its bytes do.
    const RecordText& k = keys.logKey;
    const FoldedKey folded = k.utf16View() ? FoldedKey(k.utf16())
                                           : FoldedKey(QLatin1StringView(k.rawLatin1(), k.size()));
    const int slot = slots_.find(folded);
    return slot < 0 ? nullptr : slots_.item(std::size_t(slot));
}

void LogEntries::hint(LogKeys& keys, LogEntry* record) const
{
    keys.hintOwner = id_;
    keys.hint = record;
}

void LogEntries::setDateFinished(LogEntry* record, QAnyStringView text)
{
    record->dateFinished = texts_.add(text);
}

void LogEntries::remove(int position)
{
    take(slots_.slotOf(position));
}

void LogEntries::remove(const QString& key)
{
    const int slot = slots_.find(FoldedKey(key));
    if (slot < 0)
        throw ClassError(ErrorNumbers::InvalidArgument, QString(),
                         QStringLiteral("Invalid procedure call or argument"));
    take(std::size_t(slot));
}

LogCurEntries::LogCurEntries() = default;

LogCurEntries::~LogCurEntries() = default;

LogKeys* LogCurEntries::newItem()
{
    if (!free_.empty()) {
        LogKeys* item = free_.back();
        free_.pop_back();
        *item = LogKeys();
        return item;
    }
    if (blocks_.empty() || usedInBlock_ == kBlockKeys) {
        blocks_.push_back(std::make_unique<LogKeys[]>(kBlockKeys));
        usedInBlock_ = 0;
    }
    return &blocks_.back()[usedInBlock_++];
}

LogKeys* LogCurEntries::append(LogKeys* item, const RecordText& foldedKey)
{
    quint32 hash = 0;
    if (!foldedKey.isEmpty()) {
        const FoldedKey folded(foldedKey);
        if (slots_.find(folded) >= 0) {
            free_.push_back(item);
            throw ClassError(
                ErrorNumbers::DuplicateKey, QString(),
                QStringLiteral(
                    "This key is already associated with an element of this collection"));
        }
        hash = folded.hash();
    }
    slots_.append(item, foldedKey, hash);
    return item;
}

void LogCurEntries::take(std::size_t slot)
{
    free_.push_back(slots_.take(slot));
}

LogKeys* LogCurEntries::add(const QString& key, const QString& fName, const QString& logKey,
                            const QString& sKey)
{
    LogKeys* keys = newItem();
    keys->key = texts_.add(QStringView(key));
    keys->fName = texts_.add(QStringView(fName));
    keys->logKey = texts_.add(QStringView(logKey));
    RecordText folded;
    if (!sKey.isEmpty()) {
        const FoldedKey f(sKey);
        folded = f.wide() ? texts_.add(QStringView(f.wideText())) : texts_.add(f.bytes());
    }
    return append(keys, folded);
}

LogKeys* LogCurEntries::addFor(LogEntry* record, const LogEntries& entries)
{
    LogKeys* keys = newItem();
    keys->key = record->fName;
    keys->fName = record->fName;
    keys->logKey = record->key;
    entries.hint(*keys, record);
    return append(keys, FoldedKey::fold(record->fName, texts_));
}

LogKeys* LogCurEntries::addFor(LogEntry* record, const LogEntries& entries,
                               const FoldedKey& nameKey)
{
    LogKeys* keys = newItem();
    keys->key = record->fName;
    keys->fName = record->fName;
    keys->logKey = record->key;
    entries.hint(*keys, record);
    if (slots_.find(nameKey) >= 0) {
        free_.push_back(keys);
        throw ClassError(
            ErrorNumbers::DuplicateKey, QString(),
            QStringLiteral("This key is already associated with an element of this collection"));
    }
    // An ASCII name's key is its own bytes read upper-cased.
    const RecordText folded = nameKey.ascii() && record->fName.latin1View()
                                  ? TextStore::upperOfAscii(record->fName)
                                  : FoldedKey::fold(record->fName, texts_);
    slots_.append(keys, folded, nameKey.hash());
    return keys;
}

LogKeys* LogCurEntries::item(int position) const
{
    if (position < 1 || position > slots_.count())
        return nullptr;
    return slots_.item(slots_.slotOf(position));
}

LogKeys* LogCurEntries::item(const QString& key) const
{
    return find(key);
}

LogKeys* LogCurEntries::find(QAnyStringView key) const
{
    return find(FoldedKey(key));
}

LogKeys* LogCurEntries::find(const FoldedKey& key) const
{
    const int slot = slots_.find(key);
    return slot < 0 ? nullptr : slots_.item(std::size_t(slot));
}

void LogCurEntries::remove(int position)
{
    take(slots_.slotOf(position));
}

void LogCurEntries::remove(const QString& key)
{
    const int slot = slots_.find(FoldedKey(key));
    if (slot < 0)
        throw ClassError(ErrorNumbers::InvalidArgument, QString(),
                         QStringLiteral("Invalid procedure call or argument"));
    take(std::size_t(slot));
}

bool LogCurEntries::removeIfPresent(QAnyStringView key)
{
    return removeIfPresent(FoldedKey(key));
}

bool LogCurEntries::removeIfPresent(const FoldedKey& key)
{
    const int slot = slots_.find(key);
    if (slot < 0)
        return false;
    take(std::size_t(slot));
    return true;
}
