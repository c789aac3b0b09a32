#pragma once

#include "platform/registry_reader.h"

class WineBridge;

// The registry of a running Wine, read through the bridge. A running
// wineserver keeps the registry in memory and writes the prefix's files only
// now and then, so what was set a moment ago (with `wine reg add`, or by
// GetRight itself) is found here and not yet in user.reg.
//
// When the bridge does not answer within `waitMs` (no Wine, a broken prefix),
// the other reader, normally the one on the prefix's files, answers instead.
class BridgeRegistryReader : public RegistryReader {
public:
    static constexpr int DefaultWaitMs = 5000;

    // Both must outlive the reader.
    BridgeRegistryReader(WineBridge& bridge, const RegistryReader& fallback,
                         int waitMs = DefaultWaitMs);

    QString getRegString(std::uint32_t rootKey, const QString& subKey, const QString& valueName,
                         const QString& defaultValue) const override;

private:
    WineBridge& bridge_;
    const RegistryReader& fallback_;
    int waitMs_;
};
