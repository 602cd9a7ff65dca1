#pragma once

#include <QString>
#include <QStringList>

namespace sorvane {

// Which pages of a web view reach the engine's objects (the "godot" bridge): a list of origins.
//
// An entry is "*" (every page), "scheme://" (every page of that scheme, for example "res://" for
// the game's own files) or an origin "scheme://host[:port]" (exactly that origin). Entries are
// compared without regard to case; a trailing "/" is ignored.
class BridgeOrigins {
public:
    // Every page, as the bridge has always been offered.
    BridgeOrigins() : m_entries{QStringLiteral("*")} {}

    void set(const QStringList& entries);
    const QStringList& entries() const { return m_entries; }

    bool allows(const QString& url) const;

    // The origin of an address as the warnings name it: "scheme://host[:port]", or the address
    // itself for one without a host (about:blank, data:).
    static QString origin_of(const QString& url);

private:
    QStringList m_entries;
};

}  // namespace sorvane
