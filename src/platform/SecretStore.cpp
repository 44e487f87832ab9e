#include "platform/SecretStore.h"

#include <libsecret/secret.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace mv::SecretStore {

namespace {

// Items are matched by their two attributes only, so items written by other tools with the same
// attributes (secret-tool) are found as well.
const SecretSchema* schema()
{
    static const SecretSchema value = {
        "org.freedesktop.Secret.Generic",
        SECRET_SCHEMA_DONT_MATCH_NAME,
        {
            { "service", SECRET_SCHEMA_ATTRIBUTE_STRING },
            { "account", SECRET_SCHEMA_ATTRIBUTE_STRING },
            { nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING },
        },
        0,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
    };
    return &value;
}

// Runs one synchronous libsecret call on a thread of its own and waits at most `timeout` for it. On time-out
// the call is cancelled and abandoned: the thread owns everything it touches, so it may finish later.
template <typename Result>
std::optional<Result> bounded(std::function<Result(GCancellable*)> call, std::chrono::milliseconds timeout)
{
    struct Shared {
        std::mutex mutex;
        std::condition_variable finished;
        std::optional<Result> result;
        GCancellable* cancellable = g_cancellable_new();
        ~Shared() { g_object_unref(cancellable); }
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, call = std::move(call)] {
        Result result = call(shared->cancellable);
        const std::lock_guard lock(shared->mutex);
        shared->result = std::move(result);
        shared->finished.notify_all();
    }).detach();

    std::unique_lock lock(shared->mutex);
    const auto done = [&] { return shared->result.has_value(); };
    if (!shared->finished.wait_for(lock, timeout, done)) {
        // A short grace lets the cancelled call dismiss the prompt it may have opened before the caller goes
        // on (or the askpass process ends).
        g_cancellable_cancel(shared->cancellable);
        shared->finished.wait_for(lock, std::chrono::milliseconds(250), done);
        return std::nullopt;
    }
    return std::move(shared->result);
}

} // namespace

Lookup find(const QString& service, const QString& account, std::chrono::milliseconds timeout)
{
    auto found = bounded<Lookup>(
        [service = service.toUtf8(), account = account.toUtf8()](GCancellable* cancellable) {
            Lookup lookup;
            GHashTable* attributes = secret_attributes_build(
                schema(), "service", service.constData(), "account", account.constData(), nullptr);
            GError* error = nullptr;
            // Without SECRET_SEARCH_UNLOCK a locked item comes back without its secret instead of raising an
            // unlock prompt: it is there, but cannot be read now.
            GList* items = secret_service_search_sync(
                nullptr, schema(), attributes, SECRET_SEARCH_LOAD_SECRETS, cancellable, &error);
            if (error == nullptr && items == nullptr)
                lookup.outcome = LookupOutcome::notFound;
            for (GList* item = items; item && lookup.outcome != LookupOutcome::found; item = item->next) {
                if (SecretValue* value = secret_item_get_secret(SECRET_ITEM(item->data))) {
                    gsize length = 0;
                    const gchar* bytes = secret_value_get(value, &length);
                    lookup = { LookupOutcome::found, QByteArray(bytes, qsizetype(length)) };
                    secret_value_unref(value);
                }
            }
            g_clear_error(&error);
            g_list_free_full(items, g_object_unref);
            g_hash_table_unref(attributes);
            return lookup;
        },
        timeout);
    return found.value_or(Lookup {});
}

std::optional<QByteArray> lookup(
    const QString& service, const QString& account, std::chrono::milliseconds timeout)
{
    Lookup found = find(service, account, timeout);
    if (found.outcome != LookupOutcome::found)
        return std::nullopt;
    return std::move(found.secret);
}

bool store(const QString& service, const QString& account, const QByteArray& secret,
    std::chrono::milliseconds timeout)
{
    auto stored = bounded<bool>(
        [service = service.toUtf8(), account = account.toUtf8(), secret](GCancellable* cancellable) {
            SecretValue* value = secret_value_new(secret.constData(), secret.size(), "text/plain");
            GError* error = nullptr;
            // Stores into the default collection, replacing an item with the same attributes in the same
            // call.
            const gboolean ok = secret_password_store_binary_sync(schema(), SECRET_COLLECTION_DEFAULT, "",
                value, cancellable, &error, "service", service.constData(), "account", account.constData(),
                nullptr);
            secret_value_unref(value);
            g_clear_error(&error);
            return ok == TRUE;
        },
        timeout);
    return stored.value_or(false);
}

RemoveOutcome erase(const QString& service, const QString& account, std::chrono::milliseconds timeout)
{
    auto answered = bounded<RemoveOutcome>(
        [service = service.toUtf8(), account = account.toUtf8()](GCancellable* cancellable) {
            GError* error = nullptr;
            const gboolean removed = secret_password_clear_sync(schema(), cancellable, &error, "service",
                service.constData(), "account", account.constData(), nullptr);
            const RemoveOutcome outcome = error != nullptr ? RemoveOutcome::failed
                : removed                                  ? RemoveOutcome::removed
                                                           : RemoveOutcome::nothingToRemove;
            g_clear_error(&error);
            return outcome;
        },
        timeout);
    return answered.value_or(RemoveOutcome::failed);
}

bool remove(const QString& service, const QString& account, std::chrono::milliseconds timeout)
{
    return erase(service, account, timeout) != RemoveOutcome::failed;
}

} // namespace mv::SecretStore
