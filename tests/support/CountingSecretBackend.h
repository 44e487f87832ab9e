#pragma once

#include "google/SecretBackend.h"

#include <QHash>
#include <QMutex>

#include <atomic>

namespace mv::test {

// A keyring in memory that counts the calls made to it and can be told to fail them.
class CountingSecretBackend final : public SecretBackend {
public:
    Lookup lookup(const QString& account) override;
    bool store(const QString& account, const QString& value) override;
    bool remove(const QString& account) override;

    // What is stored, without counting a lookup.
    std::optional<QString> stored(const QString& account) const;

    std::atomic<int> lookups = 0;
    std::atomic<int> stores = 0;
    std::atomic<int> removals = 0;
    std::atomic<bool> failLookups = false; // lookups answer "failed"
    // Stores of this account are refused from now on (any account for "*", none for an empty text).
    void refuseStores(const QString& account);

private:
    mutable QMutex m_mutex;
    QHash<QString, QString> m_items;
    QString m_refused;
};

} // namespace mv::test
