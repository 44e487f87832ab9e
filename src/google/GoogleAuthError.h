#pragma once

#include "platform/DescribedError.h"

#include <QByteArray>
#include <QString>

namespace mv {

// Why a Google sign-in, a token request or a client import failed, with the text shown in the settings view.
class GoogleAuthError : public DescribedError {
public:
    enum class Kind {
        browserDenied,
        tokenExchange,
        server,
        notConfigured,
        notConnected,
        invalidClientFile,
        stateMismatch,
        keyring, // the keyring refused to store a credential; the payload is the whole text
    };

    explicit GoogleAuthError(Kind kind, QString payload = {});

    static GoogleAuthError browserDenied(const QString& text)
    {
        return GoogleAuthError(Kind::browserDenied, text);
    }
    static GoogleAuthError tokenExchange(const QString& text)
    {
        return GoogleAuthError(Kind::tokenExchange, text);
    }
    static GoogleAuthError server(const QString& text) { return GoogleAuthError(Kind::server, text); }

    Kind kind() const { return m_kind; }
    const QString& payload() const { return m_payload; }
    QString description() const override;
    const char* what() const noexcept override { return m_what.constData(); }

private:
    Kind m_kind;
    QString m_payload;
    QByteArray m_what;
};

// Google could not be reached, or the connection broke before a whole answer arrived. The text never holds a
// URL, a header or a token. A transient one (time-out, lost or refused connection, name lookup) may be tried
// again.
class GoogleTransportError : public DescribedError {
public:
    explicit GoogleTransportError(QString description, bool transient = false);
    QString description() const override { return m_description; }
    bool isTransient() const { return m_transient; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_description;
    bool m_transient;
    QByteArray m_what;
};

// A document (Google's answer, a client file) that is not of the expected form: which value and why.
class GoogleDecodingError : public DescribedError {
public:
    explicit GoogleDecodingError(QString description);
    QString description() const override { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_description;
    QByteArray m_what;
};

} // namespace mv
