#pragma once

#include <QObject>
#include <QProcess>
#include <QTimer>

#include <functional>

// Serves GetRight|DownloadInfo through the DDE stand-in on the Windows side:
// runs getright-dde-sim.exe --control under Wine and keeps telling it the
// current reply of every item, so a Tavrin that talks DDE (through its Wine
// bridge, or a Windows build under Wine) sees what the local socket shows.
class SimDde : public QObject {
    Q_OBJECT
public:
    struct Faults {
        int slowMs = 0;       // every reply is held back this long
        bool missing = false; // conversations are taken, requests declined
    };

    // `replyFor` gives the reply of an item (1-based), an empty text past the last.
    SimDde(QString standInPath, int count, Faults faults, std::function<QString(int)> replyFor,
           QObject* parent = nullptr);
    ~SimDde() override;

    // Starts the stand-in under `wine` and waits until it serves; false (with
    // `error` set) when it does not.
    bool start(QString* error);

private:
    void push();
    void write(const std::string& message);

    QString standInPath_;
    int count_;
    Faults faults_;
    std::function<QString(int)> replyFor_;
    QProcess process_;
    QTimer timer_;
};

// Names `logPath` as GetRight's log in the registry of the real Wine prefix
// `prefix`, with Wine's own `reg add`; false (with `error` set) when it fails.
bool setLogFileWithWine(const QString& prefix, const QString& windowsPath, QString* error);
