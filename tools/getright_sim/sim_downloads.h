#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The downloads a simulated GetRight has in progress. Their byte counts grow with
// time; a finished download leaves its slot to the next file of a fixed catalogue,
// so the list keeps its length. What happens is also told as log messages.
class SimDownloads {
public:
    // `count` slots (0 to catalogueSize()); `speed` multiplies every transfer rate.
    SimDownloads(int count, double speed);

    static int catalogueSize();

    // Moves every download on to `seconds` after the start.
    void advanceTo(double seconds);

    int count() const { return static_cast<int>(active_.size()); }
    // The DownloadInfo reply for slot `index` (0-based): "title|bytes|detail|url".
    QString reply(int index) const;
    // The same with only two bars, which a client must refuse.
    QString malformedReply(int index) const;

    // Log messages (without date and time) of what happened since the last call.
    QStringList takeEvents();
    // A message for a quiet moment, about one of the current downloads.
    QString idleMessage();

private:
    struct Active {
        int entry;         // index into the catalogue
        double startedAt;  // seconds
        qint64 startBytes; // resumed at
        qint64 bytes;      // received so far
        double rate;       // bytes per second
    };

    void start(int slot, double now);
    QString detail(const Active& download) const;

    QList<Active> active_;
    QStringList events_;
    double speed_;
    double now_ = 0;
    int nextEntry_ = 0;
    int idleTurn_ = 0;
};

// "C:\Downloads\" + the file name, as GetRight writes local paths.
QString simLocalPath(const QString& fileName);
