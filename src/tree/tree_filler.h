#pragma once

#include "records/record_text.h"
#include "tree/sort_order.h"
#include "tree/tree_model.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Formats;
class LogEntries;
struct LogEntry;

// Fills the download tree from the records in one of the five orders. Download
// and detail nodes are derived from their record when the view asks, so the
// filler must outlive the nodes it made (until the model is cleared).
class TreeFiller : public TreeModel::NodeSource {
public:
    // Called with the record number before each record's nodes; false stops the fill.
    using Progress = std::function<bool(int record)>;

    explicit TreeFiller(const Formats& formats);
    ~TreeFiller() override;

    // Clears the model and fills it. Gives false when the progress callback stopped it.
    bool fill(TreeModel& model, const LogEntries& entries, SortOrder order, bool wideDate,
              const Progress& progress = {});

    // Forget the records (call after the model was cleared, before they go).
    void release();

    QString key(quint64 tag) const override;
    QString text(quint64 tag) const override;
    bool appendLatin1Text(quint64 tag, std::string& out) const override;
    bool appendLatin1Key(quint64 tag, std::string& out) const override;
    void prefetch(quint64 tag, int stage) const override;
    bool textPieces(quint64 tag, TreeModel::TextPieces& pieces) const override;
    // Reads the records and groups of this filler, so it must not outlive it.
    std::unique_ptr<TreeModel::NodeSource> copyForThread() const override;

private:
    TreeFiller(const TreeFiller& from, std::unique_ptr<Formats> formats);

    enum Kind : quint8 {
        Download,
        Started,
        Url,
        Local,
        Restarts,
        Mirrors,
        Resumes,
        Bytes,
        Finished,
        Group
    };

    // Download and detail nodes: the record number; group nodes: the group number.
    static quint64 tagOf(int number, Kind kind) { return (quint64(number) << 4) | kind; }
    void addDetails(TreeModel& model, int downloadNode, int record, const LogEntry& entry);
    QString startText(const LogEntry& entry) const;
    bool appendStartText(const LogEntry& entry, std::string& out) const;
    const LogEntry* record(quint64 tag) const;

    // Groups: what their key is made of (the date text, the URL folder or the
    // local folder), a view of the text of the group's first record.
    RecordText groupPart(const LogEntry& entry) const;
    const char* groupLabel() const;
    int groupNode(TreeModel& model, const LogEntry& entry);
    const RecordText* group(quint64 tag) const;

    std::unique_ptr<Formats> ownFormats_; // a copy's: formats remember what they made
    const Formats& formats_;
    // Whose records and groups the texts are made from: this filler's, or for a
    // copy, those of the filler it was made from (read only, never filled).
    const TreeFiller* tables_;
    std::vector<const LogEntry*> records_; // by record number - 1
    SortOrder order_ = SortOrder::SortNone;
    bool wideDate_ = false;
    std::vector<RecordText> groups_; // by group number; kept in groupTexts_
    std::vector<quint32> groupHashes_;
    std::unique_ptr<TextStore> groupTexts_;
    std::vector<int> groupNodes_;    // their positions
    std::vector<qint32> groupTable_; // open addressing: group number + 1, 0 free
    int lastGroup_ = -1;
    mutable quint64 lastKeyNumber_ = 0; // the record number last written into a key
    mutable std::string lastKeyDigits_;
};
