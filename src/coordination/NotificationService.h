#pragma once

#include <QDBusConnection>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>

#include <optional>

namespace mv {

// The one place that talks to the desktop's notification server (org.freedesktop.Notifications on the
// session bus). Every call is asynchronous: nothing here ever waits for the server. Notices are silent
// and shown at once; a notice posted again under the identifier of one still shown replaces it.
class NotificationService : public QObject {
    Q_OBJECT
public:
    explicit NotificationService(
        QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    // True once a notification server has answered; there is no permission prompt on this desktop.
    bool authorized() const { return m_authorized; }

    // Asks the server who it is; an answer sets `authorized`, no answer clears it.
    void prepare();
    // The same question asked again, for when the user turns a notice on.
    void requestAuthorization();

    // Delivers one notice, or does nothing without a session bus or before a server answered.
    void post(const QString& title, const QString& body, const QString& identifier);

    // "<job> could not finish" / "<destination>: <message>".
    void failure(const QString& job, const QString& destination, const QString& message);
    // "Restore finished" / "<count> items restored to <destination>.".
    void restore(const QString& destination, qint64 files);
    // "A scheduled backup was missed" / "<job> to <destination> was due <date>. ...".
    void missed(const QString& job, const QString& destination, const QDateTime& date);

    // A new identifier for a notice that stays separate from every other: a random UUID in upper case.
    static QString freshIdentifier();

Q_SIGNALS:
    void authorizedChanged(bool authorized);

private Q_SLOTS:
    void onNotificationClosed(uint id, uint reason);

private:
    struct Notice {
        QString title;
        QString body;
    };

    bool hasBus() const { return m_bus.isConnected(); }
    void setAuthorized(bool authorized);
    void send(const QString& identifier, const Notice& notice);

    QDBusConnection m_bus;
    bool m_authorized = false;
    // The server's id of each notice still shown, by our identifier, so a repeat replaces it.
    QHash<QString, uint> m_shown;
    // A repeat posted while the server has not yet answered for its identifier waits for that answer,
    // so that it can replace the notice instead of standing beside it. Only the latest repeat is kept.
    QHash<QString, std::optional<Notice>> m_inFlight;
};

} // namespace mv
